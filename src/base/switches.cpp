#include "base/switches.h"

Switches Switches::fromBuild()
{
    Switches s;
    s.Test_Flg = QUARVENIX_TEST_FLG;
    s.Eng_Flg = QUARVENIX_ENG_FLG;
    s.SN_Head = QStringLiteral("X00 ");
    s.A_Flg = QUARVENIX_A_FLG;
    return s;
}
