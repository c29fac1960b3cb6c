#include "output/csv_export.h"

#include "base/whole_write.h"
#include "grid/log_grid_model.h"
#include "output/csv_lines.h"

#include <QSaveFile>

namespace {

constexpr qsizetype kChunkBytes = qsizetype(1) << 20;

} // namespace

CsvWriteResult Write_Csv(const LogGridModel& grid, const QString& path)
{
    CsvWriteResult result;
    if (path.isEmpty())
        return result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = file.errorString();
        return result;
    }
    csv_lines::RowEncoder encoder(grid);
    QByteArray chunk;
    chunk.reserve(kChunkBytes + 4096);
    const auto flush = [&] {
        const bool written = writeWhole(file, chunk);
        chunk.resize(0);
        return written;
    };
    bool written = true;
    const int rows = grid.Rows();
    for (int row = 0; row < rows && written; ++row) {
        encoder.append(row, chunk);
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
    if (!file.commit()) {
        result.error = file.errorString();
        return result;
    }
    result.replaced = encoder.replaced();
    return result;
}
