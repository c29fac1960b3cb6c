#pragma once

#include <QString>

// The hidden test button's stream: unit 0080 and 30,003 records with log
// numbers 21, 41 and 55 on 2007/01/11. The last record has no closing
// separator, and the data number wraps at 10000, so it stores 30,000 rows.
QString sampleStream();
