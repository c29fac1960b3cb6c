#include "admin/login_rights.h"

#include "db/database.h"
#include "db/row_stream.h"
#include "sets/delivered_db.h"

namespace login_rights {

bool mayAdminister(Database& db, const QString& id)
{
    if (id == QLatin1String(delivered_db::kAdminId))
        return true;
    RowStream rows(db, QStringLiteral("SELECT Kanri FROM Login WHERE ID = ?"), {id},
                   RowStream::kWhole);
    bool may = false;
    while (rows.next())
        may = may || rows.integer(0) == 1;
    return may;
}

} // namespace login_rights
