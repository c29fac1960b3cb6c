#pragma once

#include <QString>

// Program-wide switches, assigned once at start-up and never changed after.
// Only Switches::fromBuild() knows where the delivered values come from; every
// window receives a copy, so a test can run any combination in one process.
struct Switches {
    int Test_Flg = 0;                         // 1: test database file and a pre-filled login
    int Eng_Flg = 0;                          // 1: English texts and the English database file
    QString SN_Head = QStringLiteral("X00 "); // written before every shown unit serial number
    int A_Flg = 0;                            // 1: edition A

    bool english() const { return Eng_Flg == 1; }
    bool test() const { return Test_Flg == 1; }
    bool editionA() const { return A_Flg == 1; }
    bool operator==(const Switches&) const = default;

    // The values this build was configured with (CMake options).
    static Switches fromBuild();
};
