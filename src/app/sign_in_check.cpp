#include "app/sign_in_check.h"

#include "base/password.h"
#include "db/database.h"

SignInCheck checkSignIn(Database& db, const QString& id, const QString& pass)
{
    SignInCheck check;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM Login Where ID = ? ;"), {id});
    for (; !rs.eof(); rs.moveNext()) {
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
