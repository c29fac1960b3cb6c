#pragma once

#include <QFile>
#include <QString>

// A file written under a temporary name beside its final path and moved into
// place only when the caller says so, for a file that may replace an earlier
// one only once other work (a database step) has succeeded. Until publish()
// the earlier file stays as it was; a staged file that is not published is
// removed when the object goes.
//
// A path that is a symbolic link to a file is written where the file is, and
// the link stays. A file that replaces another keeps the other's permissions.
class StagedFile {
public:
    explicit StagedFile(const QString& path);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file, open for writing without a buffer (so that
    // a write stopping short is seen). False with the reason in errorString().
    bool open();
    QFile& file() { return file_; }
    // Writes the file to the disk and closes it; false with the reason.
    bool finish();
    // Renames the finished file over the path in one step; false with the
    // reason when that fails.
    bool publish();
    // Keeps the temporary file (tempPath()) when the object goes: a file that
    // could not be published but holds what is nowhere else any more.
    void keep() { keep_ = true; }

    QString tempPath() const { return file_.fileName(); }
    QString errorString() const { return error_; }

private:
    bool fail(const QString& what);

    QString finalPath_;
    QFile file_;
    QString error_;
    bool keep_ = false; // published, or kept by the caller
};
