#include "app/sign_in_check.h"

#include "base/password.h"
#include "db/database.h"
#include "db/unique_keys.h"

SignInCheck checkSignIn(Database& db, const QString& id, const QString& pass)
{
    SignInCheck check;
    check.id = unique_keys::withoutTrailingBlanks(id);
    // The ID's row is the first in key order, the ID itself where it is stored
    // without blanks: the one a registration changes.
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM Login Where %1 ORDER BY ID ;")
                                        .arg(unique_keys::sameKey(QStringLiteral("ID"))),
                                    {check.id});
    const QString stored = rs.eof() ? QString() : rs.text(QStringLiteral("ID"));
    for (; !rs.eof() && rs.text(QStringLiteral("ID")) == stored; rs.moveNext()) {
        ++check.digestsChecked;
        if (password::verify(pass, rs.text(QStringLiteral("Pass"))))
            check.matches = true;
    }
    check.idKnown = check.digestsChecked > 0;
    if (check.digestsChecked == 0) {
        ++check.digestsChecked;
        password::verify(pass, password::standInDigest());
    }
    return check;
}
