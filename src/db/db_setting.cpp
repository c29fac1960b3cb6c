#include "db/db_setting.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
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

// Checks and stores one part of an address; false with the reason in *error.
bool setPart(ServerAddress& a, const QString& key, const QString& value, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (key == QLatin1String("host")) {
        a.host = value;
    } else if (key == QLatin1String("port") || key == QLatin1String("connect_timeout")) {
        bool ok = false;
        const int n = value.toInt(&ok);
        const bool isPort = key == QLatin1String("port");
        if (!ok || n < (isPort ? 1 : 0) || n > (isPort ? 65535 : 3600))
            return fail(QStringLiteral("%1 must be a number, not \"%2\"").arg(key, value));
        (isPort ? a.port : a.connectTimeout) = n;
    } else if (key == QLatin1String("dbname")) {
        a.dbname = value;
    } else if (key == QLatin1String("user")) {
        a.user = value;
    } else if (key == QLatin1String("sslmode")) {
        if (!sslModes().contains(value))
            return fail(QStringLiteral("sslmode must be one of %1, not \"%2\"")
                            .arg(sslModes().join(QStringLiteral(", ")), value));
        a.sslmode = value;
    } else if (key == QLatin1String("password")) {
        return fail(QStringLiteral("a password does not belong in the connection setting; "
                                   "put it in ~/.pgpass or the file PGPASSFILE names"));
    } else {
        return fail(QStringLiteral("unknown connection key \"%1\"").arg(key));
    }
    return true;
}

} // namespace

QString ServerAddress::describe() const
{
    QStringList parts;
    if (!host.isEmpty())
        parts << QStringLiteral("host=") + host;
    if (port != 0)
        parts << QStringLiteral("port=%1").arg(port);
    parts << QStringLiteral("dbname=") + dbname;
    if (!user.isEmpty())
        parts << QStringLiteral("user=") + user;
    if (!sslmode.isEmpty())
        parts << QStringLiteral("sslmode=") + sslmode;
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
    if (a.dbname.isEmpty()) {
        if (error)
            *error = QStringLiteral("the connection text names no database (dbname=…)");
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
        // A value with a comma reads as a list; the setting has no list values.
        const QVariant v = ini.value(key);
        const QString value = v.metaType().id() == QMetaType::QStringList
                                  ? v.toStringList().join(QLatin1Char(','))
                                  : v.toString().trimmed();
        if (!setPart(s.server, key, value, &why))
            return unusable(why);
    }
    if (s.server.dbname.isEmpty())
        return unusable(QStringLiteral("dbname is missing in [database]"));
    return s;
}

DbSetting DbSetting::forProgramIn(const QString& appDir)
{
    return fromIniFile(QDir(appDir).filePath(QString::fromLatin1(kDbSettingFile)));
}
