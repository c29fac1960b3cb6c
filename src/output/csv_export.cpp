#include "output/csv_export.h"

#include "base/whole_write.h"
#include "grid/log_grid_model.h"
#include "output/csv_lines.h"

#include <QSaveFile>
#include <functional>

namespace {

constexpr qsizetype kChunkBytes = qsizetype(1) << 20;

// Writes `lines` lines, each appended by appendLine(line, bytes), into a
// file that appears only when it is complete.
CsvWriteResult writeLines(const QString& path, int lines,
                          const std::function<void(int, QByteArray&)>& appendLine)
{
    CsvWriteResult result;
    if (path.isEmpty())
        return result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = file.errorString();
        return result;
    }
    QByteArray chunk;
    chunk.reserve(kChunkBytes + 4096);
    const auto flush = [&] {
        const bool written = writeWhole(file, chunk);
        chunk.resize(0);
        return written;
    };
    bool written = true;
    for (int line = 0; line < lines && written; ++line) {
        appendLine(line, chunk);
        if (chunk.size() >= kChunkBytes)
            written = flush();
    }
    if (written)
        written = flush();
    if (!written) {
        result.error = file.errorString();
        file.cancelWriting(); // the partial file is removed, an existing one kept
        return result;
    }
    if (!file.commit())
        result.error = file.errorString();
    return result;
}

} // namespace

CsvWriteResult Write_Csv(const LogGridModel& grid, const QString& path)
{
    csv_lines::RowEncoder encoder(grid);
    CsvWriteResult result =
        writeLines(path, grid.Rows(), [&](int row, QByteArray& out) { encoder.append(row, out); });
    result.replaced = result.ok() && encoder.replaced();
    return result;
}

CsvWriteResult writeCsvTable(const QStringList& heading, const QList<QStringList>& rows,
                             const QString& path)
{
    sjis::Encoder encoder;
    bool replaced = false;
    CsvWriteResult result = writeLines(path, int(rows.size()) + 1, [&](int line, QByteArray& out) {
        QStringList fields = line == 0 ? heading : rows[line - 1];
        for (QString& f : fields)
            f = csv_lines::field(f);
        out += csv_lines::encode(encoder, fields.join(QLatin1Char(',')), replaced);
        out += "\r\n";
    });
    result.replaced = result.ok() && replaced;
    return result;
}
