#include "stats/stat_limit.h"

#include "base/ini_file.h"

#include <QUrl>

namespace stat_limit {

namespace {

constexpr auto kSection = "statistics";
constexpr auto kKey = "limit";

// The key of a unit code's limit: "limit" for no code, else "limit." and the
// code percent-encoded.
QString keyOf(const QString& code)
{
    return code.isEmpty()
               ? QString::fromLatin1(kKey)
               : kKey + QStringLiteral(".") + QString::fromLatin1(QUrl::toPercentEncoding(code));
}

} // namespace

Limits read(const QString& path)
{
    Limits limits;
    const QString prefix = kKey + QStringLiteral(".");
    std::optional<double> general;
    for (const auto& [name, value] : ini_file::entries(path, QLatin1String(kSection))) {
        const std::optional<double> limit = parse(value);
        if (name.compare(QLatin1String(kKey), Qt::CaseInsensitive) == 0) {
            if (!general) // the first one counts, as when it is written
                general = limit.value_or(kDefault);
        } else if (name.size() > prefix.size() && name.startsWith(prefix, Qt::CaseInsensitive)) {
            const QString code = QUrl::fromPercentEncoding(name.mid(prefix.size()).toUtf8());
            if (limit && !limits.byCode.contains(code))
                limits.byCode.insert(code, *limit);
        }
    }
    limits.general = general.value_or(kDefault);
    return limits;
}

Limits read(const QStringList& paths)
{
    Limits limits;
    for (const QString& path : paths) {
        const Limits own = read(path);
        if (ini_file::value(path, QLatin1String(kSection), QLatin1String(kKey)))
            limits.general = own.general;
        limits.byCode.insert(own.byCode);
    }
    return limits;
}

QString write(const QString& path, const QString& code, double limit)
{
    return ini_file::write(path, QLatin1String(kSection), {{keyOf(code), text(limit)}});
}

} // namespace stat_limit
