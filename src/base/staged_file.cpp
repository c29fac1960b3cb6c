#include "base/staged_file.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// Tries this many temporary names before giving up.
constexpr int kNameAttempts = 16;

} // namespace

StagedFile::StagedFile(const QString& path)
{
    const QFileInfo info(path);
    finalPath_ = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
}

StagedFile::~StagedFile()
{
    if (file_.fileName().isEmpty() || keep_)
        return;
    file_.close();
    QFile::remove(file_.fileName());
}

bool StagedFile::open()
{
    if (QFileInfo(finalPath_).isDir()) {
        error_ = QStringLiteral("%1: is a folder").arg(QDir::toNativeSeparators(finalPath_));
        return false;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString suffix = QString::number(QRandomGenerator::global()->bounded(0x1000000), 16)
                                   .rightJustified(6, QLatin1Char('0'));
        file_.setFileName(finalPath_ + QLatin1Char('.') + suffix);
        // NewOnly: never an existing file, which the destructor would remove.
        if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (QFileInfo::exists(finalPath_))
                file_.setPermissions(QFile::permissions(finalPath_));
            return true;
        }
        if (QFileInfo::exists(file_.fileName()) || QFileInfo(file_.fileName()).isSymLink())
            continue; // the name is taken: another one
        error_ =
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(finalPath_), file_.errorString());
        file_.setFileName(QString());
        return false;
    }
    error_ = QStringLiteral("%1: no free temporary name").arg(QDir::toNativeSeparators(finalPath_));
    file_.setFileName(QString());
    return false;
}

bool StagedFile::finish()
{
#ifdef Q_OS_WIN
    const bool synced = FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file_.handle())));
#else
    const bool synced = ::fsync(file_.handle()) == 0;
#endif
    if (!synced)
        return fail(QStringLiteral("cannot be written to the disk"));
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        return fail(file_.errorString());
    return true;
}

bool StagedFile::publish()
{
    // rename() replaces an earlier file in one step: there is never a moment
    // without a complete file at the path.
    if (std::rename(QFile::encodeName(file_.fileName()).constData(),
                    QFile::encodeName(finalPath_).constData()) != 0) {
        return fail(QStringLiteral("cannot be renamed to %1 (%2)")
                        .arg(QDir::toNativeSeparators(finalPath_),
                             QString::fromLocal8Bit(std::strerror(errno))));
    }
    keep_ = true;
    return true;
}

bool StagedFile::fail(const QString& what)
{
    error_ = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file_.fileName()), what);
    return false;
}
