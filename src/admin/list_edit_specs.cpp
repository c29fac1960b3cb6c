#include "admin/list_edit_spec.h"
#include "base/texts/admin.h"

namespace list_edit {

namespace {

constexpr FieldLimit kTenCharacters{FieldLimit::Unit::Characters, 10};
// 10 full-width or 20 half-width characters.
constexpr FieldLimit kTwentyBytes{FieldLimit::Unit::ShiftJisBytes, 20};

ListEditSpec makeLoginIds()
{
    namespace t = texts::login_id;
    using K = EditField::Kind;
    enum { Id, Name, Pass, PassK, Kanri };
    return ListEditSpec{
        .windowName = "Frm_ID",
        .caption = t::Caption,
        .messageTitle = t::Caption,
        .table = "Login",
        .keyField = Id,
        .columns = {{texts::list_edit::No, 300, nullptr},
                    {t::HeadId, 1000, "ID"},
                    {t::HeadName, 2000, "Name"},
                    {t::HeadKanri, 800, "Kanri", t::KanriMark}},
        .fields = {{.name = "Txt_Id",
                    .labelName = "Label2",
                    .label = t::Label2,
                    .kind = K::Text,
                    .column = "ID",
                    .limit = kTenCharacters,
                    .tooLong = t::IdTooLong,
                    .tooltip = t::Tip_Txt_Id},
                   {.name = "Txt_Name",
                    .labelName = "Label5",
                    .label = t::Label5,
                    .kind = K::Text,
                    .column = "Name",
                    .limit = kTwentyBytes,
                    .tooLong = t::NameTooLong,
                    .tooltip = t::Tip_Txt_Name,
                    .japaneseIme = true},
                   {.name = "Txt_Pass",
                    .labelName = "Label3",
                    .label = t::Label3,
                    .kind = K::Secret,
                    .column = "Pass",
                    .limit = kTenCharacters,
                    .tooLong = t::PassTooLong,
                    .minLength = 4,
                    .tooShort = t::PassTooShort,
                    .tooltip = t::Tip_Txt_Pass,
                    .storedAsDigest = true},
                   {.name = "Txt_PassK",
                    .labelName = "Label4",
                    .label = t::Label4,
                    .kind = K::Secret,
                    .limit = kTenCharacters,
                    .tooLong = t::PassTooLong,
                    .tooltip = t::Tip_Txt_PassK},
                   {.name = "Chk_Kanri",
                    .labelName = "",
                    .label = t::Chk_Kanri,
                    .kind = K::Check,
                    .column = "Kanri",
                    .limit = {FieldLimit::Unit::Characters, 1},
                    .alwaysOnFor = "admin"}},
        // The first empty box in the order ID, password, confirmation is named.
        .emptyTests = {{PassK, t::PassKEmpty}, {Pass, t::PassEmpty}, {Id, t::IdEmpty}},
        .sameText = SameTextTest{Pass, PassK, t::PassDiffer},
        .hasNewButton = true,
        .newCaption = t::Cmd_New,
        .newTip = t::Tip_Cmd_New,
        .addTip = t::Tip_Cmd_Add,
        .delTip = t::Tip_Cmd_Del,
        .registered = t::Registered,
        .deleteWithoutKey = t::DelEmpty,
        .deleteQuestion = t::DelQuestion,
        .protectedKey = "admin",
        .protectedMessage = t::AdminKept,
        .enterChain = {Id, Name, Pass, PassK},
        .focusOrder = {"Cmd_New", "Txt_Id", "Txt_Name", "Txt_Pass", "Txt_PassK", "Chk_Kanri",
                       "Cmd_Add", "Cmd_Modoru", "MSFG", "Cmd_Del"},
        .historyOp = op_history::Op::LoginId,
    };
}

ListEditSpec makeHandsetNames()
{
    namespace t = texts::kiki;
    using K = EditField::Kind;
    enum { Unit, Name };
    return ListEditSpec{
        .windowName = "Frm_Kiki",
        .caption = t::Caption,
        .messageTitle = t::Title,
        .table = "Kiki_Name",
        .keyField = Unit,
        .columns = {{texts::list_edit::No, 400, nullptr},
                    {t::HeadUnit, 1100, "Unit_SN"},
                    {t::HeadName, 1900, "Name"}},
        .fields = {{.name = "Cmb_SN",
                    .labelName = "Label2",
                    .label = t::Label2,
                    .kind = K::ListChoice,
                    .column = "Unit_SN",
                    .limit = kTenCharacters,
                    .tooLong = t::UnitTooLong},
                   {.name = "Txt_Name",
                    .labelName = "Label5",
                    .label = t::Label5,
                    .kind = K::Text,
                    .column = "Name",
                    .limit = kTwentyBytes,
                    .tooLong = t::NameTooLong,
                    .japaneseIme = true}},
        // Both empty: the serial number's message.
        .emptyTests = {{Name, t::NameEmpty}, {Unit, t::UnitEmpty}},
        .addTip = t::Tip_Cmd_Add,
        .delTip = t::Tip_Cmd_Del,
        .registered = t::Registered,
        .deleteWithoutKey = t::DelEmpty,
        .deleteQuestion = t::DelQuestion,
        .keyListSql = "SELECT * From V_Unit_SN ORDER BY Unit_SN",
        .enterChain = {Name},
        .focusOrder = {"Cmb_SN", "Txt_Name", "Cmd_Add", "Cmd_Modoru", "MSFG", "Cmd_Del"},
        .historyOp = op_history::Op::HandsetName,
    };
}

} // namespace

const ListEditSpec& loginIds()
{
    static const ListEditSpec spec = makeLoginIds();
    return spec;
}

const ListEditSpec& handsetNames()
{
    static const ListEditSpec spec = makeHandsetNames();
    return spec;
}

} // namespace list_edit
