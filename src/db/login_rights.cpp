#include "db/login_rights.h"

#include "db/database.h"
#include "db/delivered_db.h"
#include "db/row_stream.h"
#include "db/unique_keys.h"

namespace login_rights {

bool mayAdminister(Database& db, const QString& id)
{
    const QString key = unique_keys::withoutTrailingBlanks(id);
    if (key == QLatin1String(delivered_db::kAdminId))
        return true;
    // The ID's row is the one sign-in reads: the first in key order.
    RowStream rows(db,
                   QStringLiteral("SELECT Kanri FROM Login WHERE %1 ORDER BY ID")
                       .arg(unique_keys::sameKey(QStringLiteral("ID"))),
                   {key}, RowStream::kWhole);
    return rows.next() && rows.integer(0) == 1;
}

} // namespace login_rights
