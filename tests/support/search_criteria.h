#pragma once

#include "search/log_search.h"

#include <QMetaType>
#include <QRegularExpression>
#include <QStringList>

// range "yyyy/mm/dd-yyyy/mm/dd" or "" for all dates; a null unit or content
// text leaves that group on "all".
inline SearchCriteria criteria(const QString& range, const QString& unit = {},
                               const QString& content = {})
{
    SearchCriteria c;
    c.dateRange = !range.isEmpty();
    const QStringList d = range.split(QRegularExpression("[-/]"));
    for (int i = 0; c.dateRange && i < 2; ++i)
        c.year[i] = d[3 * i], c.month[i] = d[3 * i + 1], c.day[i] = d[3 * i + 2];
    c.oneUnit = !unit.isNull();
    c.unitText = unit;
    c.oneContent = !content.isNull();
    c.contentText = content;
    return c;
}

Q_DECLARE_METATYPE(SearchCriteria)
