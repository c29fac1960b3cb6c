#pragma once

#include <QString>

class Database;

// What a login ID may do beyond signing in, reading, searching, saving,
// printing and the statistics.
namespace login_rights {

// True when the ID may open the administration menu: its row has 管理者
// (Login.Kanri) on, and admin always may. An ID without a row may not
// (deleted since it signed in). Throws DbError.
bool mayAdminister(Database& db, const QString& id);

} // namespace login_rights
