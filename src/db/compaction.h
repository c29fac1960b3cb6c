#pragma once

#include "base/switches.h"

#include <QString>
#include <functional>

struct DbSetting;

// The compaction of a database file: the file copied into a compact new
// one, the copy checked, and only then put in the file's place.

// What a compaction did.
struct CompactOutcome {
    enum class Kind {
        Compacted, // the checked copy replaced the file
        Skipped,   // less than a tenth of the file was free: nothing to reclaim
        Damaged,   // the check found damage; the file was kept as it was
        Failed,    // any other failure; the file was kept as it was
    };
    Kind kind = Kind::Compacted;
    // Damaged: the checker's first finding; Failed: the error; Skipped
    // because another program holds the copy: why.
    QString detail;
    bool ok() const { return kind == Kind::Compacted || kind == Kind::Skipped; }
};

// The long stages of a compaction, reported as each begins (on the thread
// that compacts), so that a window can say what is happening.
enum class CompactStage { Copying, Checking };
using CompactStageReport = std::function<void(CompactStage)>;

// The compaction of the database file the switches chose, beside the file
// itself (a symbolic link stays a link: its target is compacted in place).
// The claim on the copy ("<copy>.lock") is held to the end; while another
// program holds it, its copy is left alone and the compaction Skipped. The
// database is copied into a new file (VACUUM INTO; the copy has the
// original's mode without others' access), the copy is checked (every page,
// every index against its table, the row count of every table), written to
// the disk, and only then replaces the original by an atomic rename. On any
// failure the original is untouched. Skipped when less than a tenth of the
// file's pages are free.
CompactOutcome DB_Compact(const QString& appDir, const Switches& sw,
                          const CompactStageReport& report = {});
// The same under a setting: nothing is done for a server (Skipped).
CompactOutcome DB_Compact(const QString& appDir, const Switches& sw, const DbSetting& setting,
                          const CompactStageReport& report = {});

// Removes the compaction's copy that an exit which did not finish (a killed
// program, a power cut) left beside the database file the switches choose:
// up to a full copy of the database. Only for the copy of the program that
// holds the file's claim, and only when no other program (one on another
// database file of the folder) holds the copy's claim.
// False when the copy is there and cannot be removed.
bool removeCompactLeftover(const QString& appDir, const Switches& sw);
