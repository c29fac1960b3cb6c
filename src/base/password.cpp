#include "base/password.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QStringList>

namespace password {

namespace {

constexpr int kBlock = 64; // SHA-256 block size
constexpr auto kScheme = "pbkdf2-sha256";

// HMAC-SHA256 with the key's inner and outer pads prepared once.
class Hmac {
public:
    explicit Hmac(QByteArray key)
    {
        if (key.size() > kBlock)
            key = QCryptographicHash::hash(key, QCryptographicHash::Sha256);
        key.resize(kBlock, '\0');
        inner_ = key;
        outer_ = key;
        for (int i = 0; i < kBlock; ++i) {
            inner_[i] = static_cast<char>(inner_[i] ^ 0x36);
            outer_[i] = static_cast<char>(outer_[i] ^ 0x5c);
        }
    }
    QByteArray mac(const QByteArray& message) const
    {
        QCryptographicHash h(QCryptographicHash::Sha256);
        h.addData(inner_);
        h.addData(message);
        const QByteArray innerDigest = h.result();
        h.reset();
        h.addData(outer_);
        h.addData(innerDigest);
        return h.result();
    }

private:
    QByteArray inner_;
    QByteArray outer_;
};

bool constantTimeEqual(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

QByteArray pbkdf2Sha256(const QByteArray& password, const QByteArray& salt, int iterations,
                        int length)
{
    const Hmac hmac(password);
    QByteArray out;
    for (quint32 block = 1; out.size() < length; ++block) {
        QByteArray counter(4, '\0');
        counter[0] = static_cast<char>(block >> 24);
        counter[1] = static_cast<char>(block >> 16);
        counter[2] = static_cast<char>(block >> 8);
        counter[3] = static_cast<char>(block);
        QByteArray u = hmac.mac(salt + counter);
        QByteArray t = u;
        for (int i = 1; i < iterations; ++i) {
            u = hmac.mac(u);
            for (qsizetype k = 0; k < t.size(); ++k)
                t[k] = static_cast<char>(t[k] ^ u[k]);
        }
        out += t;
    }
    out.truncate(length);
    return out;
}

QString hash(const QString& plain, const QByteArray& salt, int iterations)
{
    const QByteArray digest = pbkdf2Sha256(plain.toUtf8(), salt, iterations, 32);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(QLatin1String(kScheme))
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(digest.toBase64()));
}

QString hash(const QString& plain, int iterations)
{
    QByteArray salt(16, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), 4);
    return hash(plain, salt, iterations);
}

bool verify(const QString& plain, const QString& stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != QLatin1String(kScheme))
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10'000'000)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    if (expected.isEmpty())
        return false;
    const QByteArray actual =
        pbkdf2Sha256(plain.toUtf8(), salt, iterations, static_cast<int>(expected.size()));
    return constantTimeEqual(actual, expected);
}

QString standInDigest()
{
    // A fixed salt and a digest of 32 zero bytes, which no password can be
    // expected to give; nothing is computed before the check itself.
    return QStringLiteral("%1$%2$c3RhbmQtaW4gc2FsdCAxNg==$"
                          "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=")
        .arg(QLatin1String(kScheme))
        .arg(kDefaultIterations);
}

} // namespace password
