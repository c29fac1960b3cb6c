#include "db/tls_probe.h"

#include "base/texts/server.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringList>
#include <QTimer>

namespace {

// PostgreSQL's SSLRequest: length 8, code 1234 5679. The server answers 'S'
// (TLS follows) or 'N'.
constexpr char kSslRequest[] = {0, 0, 0, 8, 0x04, char(0xd2), 0x16, 0x2f};

// The certificate's names, as a host name is checked against them.
QString namesOf(const QSslCertificate& cert)
{
    QStringList names;
    const auto alternatives = cert.subjectAlternativeNames();
    for (auto it = alternatives.cbegin(); it != alternatives.cend(); ++it)
        names << it.value();
    if (names.isEmpty())
        names = cert.subjectInfo(QSslCertificate::CommonName);
    return names.join(QStringLiteral(", "));
}

// What the handshake reported.
struct Handshake {
    char answer = 0; // the server's answer to SSLRequest
    QList<QSslError> errors;
    bool failed = false; // the TLS handshake failed
    QString failure;
};

Handshake shakeHands(const TlsTarget& t, const QList<QSslCertificate>& authorities,
                     bool verifyChain, int timeoutMs)
{
    Handshake h;
    QSslSocket socket;
    QSslConfiguration config = socket.sslConfiguration();
    config.setCaCertificates(authorities);
    config.setPeerVerifyMode(verifyChain ? QSslSocket::VerifyPeer : QSslSocket::VerifyNone);
    socket.setSslConfiguration(config);
    QEventLoop loop;
    QObject::connect(&socket, &QAbstractSocket::connected, &loop,
                     [&] { socket.write(kSslRequest, sizeof kSslRequest); });
    QObject::connect(&socket, &QIODevice::readyRead, &loop, [&] {
        if (h.answer != 0 || !socket.getChar(&h.answer))
            return;
        if (h.answer == 'S')
            socket.startClientEncryption();
        else
            loop.quit();
    });
    QObject::connect(&socket, &QSslSocket::sslErrors, &loop,
                     [&](const QList<QSslError>& errors) { h.errors = errors; });
    QObject::connect(&socket, &QSslSocket::encrypted, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QAbstractSocket::errorOccurred, &loop, [&] {
        h.failed = socket.error() == QAbstractSocket::SslHandshakeFailedError;
        h.failure = socket.errorString();
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    socket.connectToHost(t.host, t.port.toUShort());
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    socket.abort();
    return h;
}

} // namespace

QString tlsRefusal(const TlsTarget& t, bool english, int timeoutMs)
{
    namespace tx = texts::server;
    const bool verifyFull = t.sslmode == QLatin1String("verify-full");
    bool verifyChain = verifyFull || t.sslmode == QLatin1String("verify-ca");
    if ((!verifyChain && t.sslmode != QLatin1String("require")) || t.host.isEmpty() ||
        t.host.startsWith(QLatin1Char('/')) || t.host.startsWith(QLatin1Char('@')) ||
        !QCoreApplication::instance() || !QSslSocket::supportsSsl())
        return {};
    const QString caFile = !t.sslrootcert.isEmpty()
                               ? t.sslrootcert
                               : QDir::home().filePath(QStringLiteral(".postgresql/root.crt"));
    // As libpq does: require checks the authority when its file is there.
    verifyChain = verifyChain || QFileInfo::exists(caFile);
    QList<QSslCertificate> authorities;
    if (verifyChain) {
        authorities = QSslCertificate::fromPath(caFile);
        if (authorities.isEmpty())
            return tx::NoCaFile.pick(english).arg(t.server, caFile);
    }
    const Handshake h = shakeHands(t, authorities, verifyChain, timeoutMs);
    if (h.answer == 'N')
        return tx::NoTls.pick(english).arg(t.server);
    QString chain, expired, early, name, other;
    for (const QSslError& e : h.errors) {
        const QSslCertificate cert = e.certificate();
        switch (e.error()) {
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::CertificateUntrusted:
        case QSslError::CertificateSignatureFailed:
            if (chain.isEmpty())
                chain = tx::UnknownCa.pick(english).arg(t.server, caFile, cert.issuerDisplayName());
            break;
        case QSslError::CertificateExpired:
            expired = tx::Expired.pick(english).arg(
                t.server, cert.expiryDate().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
            break;
        case QSslError::CertificateNotYetValid:
            early = tx::NotYetValid.pick(english).arg(
                t.server, cert.effectiveDate().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
            break;
        case QSslError::HostNameMismatch:
            // verify-ca trusts any name the authority signed.
            if (verifyFull)
                name = tx::WrongName.pick(english).arg(t.server, namesOf(cert));
            break;
        default:
            other = tx::TlsFailed.pick(english).arg(t.server, e.errorString());
            break;
        }
    }
    // The first of these that applies: a name or a date means nothing
    // in a certificate from an authority not trusted.
    for (const QString& why : {chain, expired, early, name, other}) {
        if (!why.isEmpty())
            return why;
    }
    if (h.failed && h.errors.isEmpty())
        return tx::TlsFailed.pick(english).arg(t.server, h.failure);
    return {};
}
