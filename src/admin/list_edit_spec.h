#pragma once

#include "base/texts/bi_text.h"
#include "history/op_history.h"

#include <QList>
#include <QString>
#include <optional>

// What tells the list-and-edit windows apart (login IDs, handset names): the
// table and its key, the grid's columns, the input fields with their limits,
// the checks made before a registration with their messages, the Enter chain,
// the focus order and the protected entry. The windows and the table
// operations are written once, for any such value.
namespace list_edit {

// How much a field holds, checked as the operator types and again when the
// row is written.
struct FieldLimit {
    enum class Unit { Characters, ShiftJisBytes };
    Unit unit = Unit::Characters;
    int size = 0;
};

struct EditField {
    enum class Kind {
        Text,       // a text box
        Secret,     // a text box showing "*" for each character
        ListChoice, // an editable list of the values the database knows
        Check,      // a check box captioned by its label, off for a new entry; "1" or "0"
    };
    const char* name;      // the control, e.g. "Txt_Id"
    const char* labelName; // its label, e.g. "Label2"
    BiText label;
    Kind kind = Kind::Text;
    // The table field it shows and writes; nullptr for a box that is only compared.
    const char* column = nullptr;
    FieldLimit limit;
    BiText tooLong{"", ""};      // shown when a value does not fit at registration
    int minLength = 0;           // characters a registered value needs at least
    BiText tooShort{"", ""};     // shown when a value is shorter
    BiText tooltip{"", ""};      // Japanese mode only
    bool japaneseIme = false;    // input method on in Japanese mode (off in English); else never
    bool storedAsDigest = false; // written as a salted digest, never shown or loaded
    // A check box that is always on for this key (exact text), whatever is shown.
    const char* alwaysOnFor = "";
};

struct GridColumn {
    BiText heading;
    int widthTwips;
    const char* column; // nullptr: the running number of the row
    // A check box's column: this mark where it is 1, nothing where it is 0.
    BiText mark{"", ""};
};

// An empty field gives its message; when several are empty the last test
// made decides which message is shown.
struct EmptyTest {
    int field;
    BiText message;
};

// Two fields that must hold the same text (compared case-sensitively).
struct SameTextTest {
    int field;
    int other;
    BiText message;
};

struct ListEditSpec {
    const char* windowName; // "Frm_ID"
    BiText caption;         // window title and heading
    BiText messageTitle;    // title of every message box
    const char* table;
    int keyField; // index of the key in fields
    QList<GridColumn> columns;
    QList<EditField> fields;
    QList<EmptyTest> emptyTests; // in the order they are made
    std::optional<SameTextTest> sameText{};

    bool hasNewButton = false;
    BiText newCaption{"", ""};
    BiText newTip{"", ""};
    BiText addTip{"", ""};
    BiText delTip{"", ""};

    BiText registered;
    BiText deleteWithoutKey;
    BiText deleteQuestion; // %1: the key
    // The key that is never deleted (exact text); empty when every row may go.
    const char* protectedKey = "";
    BiText protectedMessage{"", ""};

    // The values offered in the key's list, read once at load (a SELECT whose
    // rows carry the key's column); "" when the key has no list.
    const char* keyListSql = "";

    // Enter in enterChain[i] moves to enterChain[i + 1] with its text
    // selected; Enter in the last moves to the register button.
    QList<int> enterChain;
    QStringList focusOrder; // object names; the first has the focus at opening

    // The operation history's name for a registration or deletion; a changed
    // digest field is written down as its own operation.
    op_history::Op historyOp = op_history::Op::LoginId;
    op_history::Op digestHistoryOp = op_history::Op::Password;
};

// The login IDs (table Login): "admin" is never deleted and always may
// administer, the password is written as a digest.
const ListEditSpec& loginIds();
// The handset names (table Kiki_Name), keyed by the unit serial number.
const ListEditSpec& handsetNames();

} // namespace list_edit
