#include "db/db_files.h"

#include <QDir>

QString DB_FilePath(const QString& appDir, const Switches& sw)
{
    QString name = QString::fromLatin1(kDbFileJapanese);
    if (sw.Eng_Flg == 1)
        name = QString::fromLatin1(kDbFileEnglish);
    if (sw.Test_Flg == 1)
        name = QString::fromLatin1(kDbFileTest);
    return QDir(appDir).filePath(name);
}
