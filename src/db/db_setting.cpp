#include "db/db_setting.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <libpq-fe.h>
#include <memory>

namespace {

const QStringList& sslModes()
{
    static const QStringList modes{QStringLiteral("disable"),   QStringLiteral("allow"),
                                   QStringLiteral("prefer"),    QStringLiteral("require"),
                                   QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    return modes;
}

const QStringList& sessionAttrs()
{
    static const QStringList attrs{QStringLiteral("any"),       QStringLiteral("read-write"),
                                   QStringLiteral("read-only"), QStringLiteral("primary"),
                                   QStringLiteral("standby"),   QStringLiteral("prefer-standby")};
    return attrs;
}

QStringList listOf(const QString& value)
{
    return value.split(QLatin1Char(','));
}

// Checks and stores one part of an address; false with the reason in *error.
bool setPart(ServerAddress& a, const QString& key, const QString& value, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const auto oneOf = [&](const QStringList& allowed, QString& into) {
        if (!allowed.contains(value))
            return fail(QStringLiteral("%1 must be one of %2, not \"%3\"")
                            .arg(key, allowed.join(QStringLiteral(", ")), value));
        into = value;
        return true;
    };
    if (key == QLatin1String("host")) {
        a.host = value;
    } else if (key == QLatin1String("port")) {
        for (const QString& port : listOf(value)) {
            bool ok = port.isEmpty();
            if (!ok) {
                const int n = port.toInt(&ok);
                ok = ok && n >= 1 && n <= 65535;
            }
            if (!ok)
                return fail(QStringLiteral("port must be a number, not \"%1\"").arg(value));
        }
        a.port = value;
    } else if (key == QLatin1String("connect_timeout")) {
        // As libpq reads it, but for 0 (wait for ever): a silent server would hold the program.
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < 1 || n > 3600)
            return fail(QStringLiteral("connect_timeout must be a number of seconds from 1 to "
                                       "3600, not \"%1\"")
                            .arg(value));
        a.connectTimeout = std::max(n, 2);
    } else if (key == QLatin1String("wait")) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < 1 || n > 3600)
            return fail(
                QStringLiteral("wait must be a number of seconds from 1 to 3600, not \"%1\"")
                    .arg(value));
        a.waitSeconds = n;
    } else if (key == QLatin1String("dbname")) {
        a.dbname = value;
    } else if (key == QLatin1String("user")) {
        a.user = value;
    } else if (key == QLatin1String("sslmode")) {
        return oneOf(sslModes(), a.sslmode);
    } else if (key == QLatin1String("sslrootcert")) {
        a.sslrootcert = value;
    } else if (key == QLatin1String("target_session_attrs")) {
        return oneOf(sessionAttrs(), a.targetSessionAttrs);
    } else if (key == QLatin1String("password")) {
        return fail(QStringLiteral("a password does not belong in the connection setting; "
                                   "put it in ~/.pgpass or the file PGPASSFILE names"));
    } else {
        return fail(QStringLiteral("unknown connection key \"%1\"").arg(key));
    }
    return true;
}

// What the parts say together; "" when they fit.
QString wholeProblem(const ServerAddress& a)
{
    if (a.dbname.isEmpty())
        return QStringLiteral("the connection setting names no database (dbname=…)");
    const qsizetype ports = a.port.isEmpty() ? 0 : listOf(a.port).size();
    if (ports > 1 && ports != listOf(a.host).size())
        return QStringLiteral("%1 ports for %2 hosts: give one port, or one for each host")
            .arg(ports)
            .arg(listOf(a.host).size());
    return {};
}

} // namespace

QList<ServerAddress::Host> ServerAddress::hosts() const
{
    const QStringList names = listOf(host), ports = listOf(port);
    QList<Host> out;
    for (qsizetype i = 0; i < names.size(); ++i)
        out.append({names[i], ports.size() == 1 ? ports[0] : ports.value(i)});
    return out;
}

QString ServerAddress::describe() const
{
    QStringList parts;
    const auto add = [&](const char* key, const QString& value) {
        if (!value.isEmpty())
            parts << QLatin1String(key) + QLatin1Char('=') + value;
    };
    add("host", host);
    add("port", port);
    parts << QStringLiteral("dbname=") + dbname;
    add("user", user);
    add("sslmode", sslmode);
    add("sslrootcert", sslrootcert);
    add("target_session_attrs", targetSessionAttrs);
    return parts.join(QLatin1Char(' '));
}

bool ServerAddress::parse(const QString& conninfo, ServerAddress* out, QString* error)
{
    char* message = nullptr;
    const std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
        PQconninfoParse(conninfo.toUtf8().constData(), &message), &PQconninfoFree);
    if (!options) {
        if (error)
            *error = message ? QString::fromUtf8(message).trimmed()
                             : QStringLiteral("cannot read the connection text");
        PQfreemem(message);
        return false;
    }
    ServerAddress a;
    for (const PQconninfoOption* o = options.get(); o->keyword; ++o) {
        if (!o->val || !*o->val)
            continue;
        if (!setPart(a, QString::fromUtf8(o->keyword), QString::fromUtf8(o->val), error))
            return false;
    }
    const QString problem = wholeProblem(a);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    *out = a;
    return true;
}

DbSetting DbSetting::onServer(const ServerAddress& server)
{
    DbSetting s;
    s.driver = Driver::Postgresql;
    s.server = server;
    return s;
}

DbSetting DbSetting::fromIniFile(const QString& path)
{
    DbSetting s;
    if (!QFileInfo::exists(path))
        return s;
    const auto unusable = [&](const QString& why) {
        s.problem = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
        return s;
    };
    if (!QFileInfo(path).isReadable())
        return unusable(QStringLiteral("cannot be read"));
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return unusable(QStringLiteral("is not a readable INI file"));
    ini.beginGroup(QStringLiteral("database"));
    const QString driver = ini.value(QStringLiteral("driver")).toString().trimmed().toLower();
    if (driver.isEmpty() || driver == QLatin1String("sqlite"))
        return s;
    if (driver != QLatin1String("postgresql"))
        return unusable(
            QStringLiteral("driver must be sqlite or postgresql, not \"%1\"").arg(driver));
    s.driver = Driver::Postgresql;
    QString why;
    for (const QString& key : ini.childKeys()) {
        if (key == QLatin1String("driver"))
            continue;
        // A value with a comma reads as a list: hosts and ports are lists in libpq's form.
        const QVariant v = ini.value(key);
        const QString value = v.metaType().id() == QMetaType::QStringList
                                  ? v.toStringList().join(QLatin1Char(','))
                                  : v.toString().trimmed();
        if (!setPart(s.server, key, value, &why))
            return unusable(why);
    }
    if (s.server.dbname.isEmpty())
        return unusable(QStringLiteral("dbname is missing in [database]"));
    const QString problem = wholeProblem(s.server);
    if (!problem.isEmpty())
        return unusable(problem);
    s.server.settingFile = path;
    return s;
}
