#pragma once

#include <QString>

class Database;

// The sign-in check of the login window, apart from the window.
struct SignInCheck {
    bool matches = false;   // the ID exists and the password fits one of its digests
    bool idKnown = false;   // the ID exists
    int digestsChecked = 0; // stored or stand-in digests the password was checked against
    QString id;             // the typed ID without its trailing blanks
};

// Checks the typed password against the digests of the ID's row: the typed
// ID and a stored one are the same whatever blanks end them, and where an
// older database holds several rows of the ID, its row is the one a
// registration changes (unique_keys.h); every row stored with exactly that
// ID counts. An unknown ID is checked against a stand-in digest of the same
// cost, so that the answer takes as long whether or not the ID exists and the
// time tells no one which IDs are there. Throws DbError.
SignInCheck checkSignIn(Database& db, const QString& id, const QString& pass);
