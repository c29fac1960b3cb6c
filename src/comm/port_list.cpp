#include "comm/port_list.h"

#include "comm/port_number.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>

QList<SystemPort> PortSources::systemPorts()
{
    QList<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append(
            {info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber()});
    return ports;
}

namespace {

// The entries by device; a link whose device has gone is keyed by its target.
class Merge {
public:
    PortEntry& at(const QString& name)
    {
        const QFileInfo info(name);
        QString key = info.canonicalFilePath();
        const bool gone = key.isEmpty();
        if (gone)
            key = info.isSymLink() ? info.symLinkTarget() : name;
        PortEntry& e = entries_[key];
        if (e.path.isEmpty()) {
            e.path = key;
            e.device = gone ? QString() : key;
        }
        if (!e.names.contains(name))
            e.names << name;
        return e;
    }
    QList<PortEntry> sorted()
    {
        QList<PortEntry> list = entries_.values();
        const auto first = [](const PortEntry& e) {
            return e.numbers.isEmpty() ? kLastPort + 1 : e.numbers.first();
        };
        std::stable_sort(list.begin(), list.end(), [&](const PortEntry& a, const PortEntry& b) {
            return first(a) != first(b) ? first(a) < first(b) : a.path < b.path;
        });
        return list;
    }

private:
    QMap<QString, PortEntry> entries_;
};

QFileInfoList linksIn(const QString& dir)
{
    if (dir.isEmpty())
        return {};
    return QDir(dir).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

QList<PortEntry> listPorts(const PortSources& sources)
{
    Merge merge;
    for (const SystemPort& p : sources.system) {
        PortEntry& e = merge.at(p.location);
        e.description = p.description;
        e.manufacturer = p.manufacturer;
        e.serialNumber = p.serialNumber;
    }
    for (const QFileInfo& link : linksIn(sources.byIdDir)) {
        PortEntry& e = merge.at(link.absoluteFilePath());
        // The stable name is kept in place of the device's own.
        if (!e.device.isEmpty() && !e.path.startsWith(sources.byIdDir))
            e.path = link.absoluteFilePath();
    }
    static const QRegularExpression comName(QStringLiteral("^COM([1-9]|1[0-6])$"));
    for (const QFileInfo& link : linksIn(sources.linkDir)) {
        if (link.isSymLink() && comName.match(link.fileName()).hasMatch())
            merge.at(link.absoluteFilePath());
    }
    for (int n = kFirstPort; n <= kLastPort && sources.opens; ++n) {
        const QString device = sources.opens(n);
        if (!device.isEmpty())
            merge.at(device).numbers << n;
    }
    return merge.sorted();
}
