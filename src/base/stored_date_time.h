#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

// The one form a date and time is stored and compared in, on either engine
// and in every file: "YYYY-MM-DD HH:MM:SS" (24-hour clock), so that text order
// is time order.

// A date-and-time value as stored. Accepts "YYYY/MM/DD HH:MM:SS" and
// "YYYY-MM-DD HH:MM:SS"; returns a null QString for anything that is not a
// real date and time.
QString storedDateTime(const QString& text);
QString storedDateTime(const QDateTime& value);

// The stored form of a "YYYY/MM/DD HH:MM:SS" text only (the form a date
// literal of a statement takes); a null QString for anything else.
QString storedDateTimeOfSlashed(QStringView text);
