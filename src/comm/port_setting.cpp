#include "comm/port_setting.h"

#include "base/app_context.h"
#include "comm/port_number.h"
#include "comm/serial_port.h"
#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

const QString kSection = QStringLiteral("port");

} // namespace

PortPlace PortPlace::of(const AppContext& ctx)
{
    return {ctx.appDir, ctx.portInSettings, ctx.settings, systemPortDevices()};
}

PortChoice readPort(Database& db, const PortPlace& place)
{
    if (!place.inSettings)
        return {Com_Read(db), {}};
    const QString file = place.settings.withSection(kSection);
    PortChoice choice;
    choice.number =
        parsePortNumber(
            ini_file::value(file, kSection, QStringLiteral("number")).value_or(QString()))
            .value_or(kFirstPort);
    choice.device = ini_file::value(file, kSection, QStringLiteral("device")).value_or(QString());
    return choice;
}

QString portOpens(int n, const PortChoice& kept, const PortPlace& place)
{
    if (n == kept.number && !kept.device.isEmpty())
        return kept.device;
    return portDevicePath(n, place.linkDir, place.systemDevices);
}

bool keepPortInDatabase(Database& db, int number)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM Com_Port ;"));
    if (rs.eof())
        return false;
    rs.setField(QStringLiteral("Port"), number);
    rs.update();
    rs.close();
    return true;
}

QString keepPortInSettings(const PortPlace& place, const PortChoice& choice)
{
    return ini_file::write(place.settings.own, kSection,
                           {{QStringLiteral("number"), QString::number(choice.number)},
                            {QStringLiteral("device"), choice.device}});
}

QString linkPort(const QString& dir, int n, const QString& device)
{
    const QString link = QDir(dir).filePath(QStringLiteral("COM%1").arg(n));
    const QFileInfo old(link);
    if (old.exists() && !old.isSymLink())
        return QStringLiteral("%1 is not a link; it is left as it is.")
            .arg(QDir::toNativeSeparators(link));
    const QString temp = link + QStringLiteral(".new");
    QFile::remove(temp);
    if (!QFile::link(device, temp))
        return QStringLiteral("Cannot make the link %1").arg(QDir::toNativeSeparators(link));
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(link).constData()) !=
        0) {
        QFile::remove(temp);
        return QStringLiteral("Cannot replace %1").arg(QDir::toNativeSeparators(link));
    }
    return {};
}
