#pragma once

#include <QByteArrayView>
#include <QFileDevice>

// Writes all of the bytes to a file opened with QIODevice::Unbuffered; false
// when that fails, with the reason in the file's errorString(). A write that
// stops short (a full disk, a file size limit) must be caught here: a buffered
// QSaveFile does not notice it and its commit() keeps the truncated file.
inline bool writeWhole(QFileDevice& file, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        // After a short write, the next one fails and sets the reason.
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += qsizetype(n);
    }
    return true;
}
