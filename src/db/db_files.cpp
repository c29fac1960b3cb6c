#include "db/db_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString DB_FilePath(const QString& appDir, const Switches& sw)
{
    QString name = QString::fromLatin1(kDbFileJapanese);
    if (sw.Eng_Flg == 1)
        name = QString::fromLatin1(kDbFileEnglish);
    if (sw.Test_Flg == 1)
        name = QString::fromLatin1(kDbFileTest);
    return QDir(appDir).filePath(name);
}

#ifdef Q_OS_WIN

// The folder's access list decides on Windows.
unsigned dataFileMode(const QString&)
{
    return 0600;
}

bool createDataFile(const QString& path, int)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

bool setDataFileMode(const QString&)
{
    return true;
}

bool makePrivateFolder(const QString& dir)
{
    return QDir().mkpath(dir);
}

#else

unsigned dataFileMode(const QString& dir)
{
    struct stat st {};
    const bool shared =
        ::stat(QFile::encodeName(dir).constData(), &st) == 0 && (st.st_mode & S_IWGRP);
    return shared ? 0660 : 0600;
}

bool createDataFile(const QString& path, int mode)
{
    const mode_t wanted = mode >= 0 ? mode_t(mode) : dataFileMode(QFileInfo(path).path());
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // open() leaves out what the umask forbids; fchmod() does not.
    const bool ok = ::fchmod(fd, wanted) == 0;
    ::close(fd);
    return ok;
}

bool setDataFileMode(const QString& path)
{
    return ::chmod(QFile::encodeName(path).constData(), dataFileMode(QFileInfo(path).path())) == 0;
}

bool makePrivateFolder(const QString& dir)
{
    const QByteArray name = QFile::encodeName(dir);
    if (!QFileInfo(dir).isDir()) {
        const QString parent = QFileInfo(dir).path();
        if (!QDir().mkpath(parent) || (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST))
            return false;
    }
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 07777) == 0700 || ::chmod(name.constData(), 0700) == 0;
}

#endif
