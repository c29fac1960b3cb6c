#pragma once

#include <QByteArray>
#include <QString>

// Login passwords are stored as salted PBKDF2-SHA256 digests in one text:
// "pbkdf2-sha256$<iterations>$<salt, base64>$<digest, base64>".
namespace password {

inline constexpr int kDefaultIterations = 100000;

QString hash(const QString& plain, int iterations = kDefaultIterations);
QString hash(const QString& plain, const QByteArray& salt, int iterations);
bool verify(const QString& plain, const QString& stored);

// A digest of the default cost that no password fits: checking a password
// against it takes as long as checking it against a stored one.
QString standInDigest();

// PBKDF2 with HMAC-SHA256 (RFC 8018), exposed for its known-answer test.
QByteArray pbkdf2Sha256(const QByteArray& password, const QByteArray& salt, int iterations,
                        int length);

} // namespace password
