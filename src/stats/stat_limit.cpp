#include "stats/stat_limit.h"

#include "base/ini_file.h"
#include "stats/log_statistics.h"

#include <QLocale>
#include <QRegularExpression>

namespace stat_limit {

namespace {

constexpr auto kSection = "statistics";
constexpr auto kKey = "limit";

} // namespace

std::optional<double> parse(const QString& typed)
{
    static const QRegularExpression number(QStringLiteral("^(\\d+(\\.\\d{0,3})?|\\.\\d{1,3})$"));
    const QString t = typed.normalized(QString::NormalizationForm_KC).trimmed();
    if (!number.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || value > 9.999)
        return std::nullopt;
    return value;
}

QString text(double limit)
{
    return QString::number(limit, 'f', 3);
}

double read(const QString& path)
{
    const std::optional<QString> value =
        ini_file::value(path, QLatin1String(kSection), QLatin1String(kKey));
    if (!value)
        return log_statistics::kDefaultLimit;
    return parse(*value).value_or(log_statistics::kDefaultLimit);
}

QString write(const QString& path, double limit)
{
    return ini_file::write(path, QLatin1String(kSection), {{QLatin1String(kKey), text(limit)}});
}

} // namespace stat_limit
