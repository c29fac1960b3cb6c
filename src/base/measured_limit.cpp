#include "base/measured_limit.h"

#include <QLocale>
#include <QRegularExpression>

namespace measured_limit {

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

} // namespace measured_limit
