#include "sets/frm_selection_set.h"

#include "base/texts/history.h"
#include "base/texts/sets.h"

#include "base/app_context.h"
#include "db/database.h"
#include "db/delivered_db.h"
#include "db/unique_keys.h"
#include "db/write_outcome.h"
#include "history/op_history.h"
#include "ui/busy_cursor.h"
#include "ui/window_parts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using window_parts::heading;
using window_parts::named;
namespace t = texts::sentaku;
namespace table = selection_set_table;

namespace {

QPushButton* makeButton(const char* name, const BiText& caption, const BiText& tip,
                        const Switches& sw, QWidget* parent)
{
    auto* button = named(new QPushButton(caption.in(sw), parent), name);
    button->setToolTip(tip.in(sw));
    return button;
}

SelectionSetKind contentSets()
{
    namespace c = texts::sentaku;
    return {.objectName = QStringLiteral("Frm_Sentaku"),
            .table = {QStringLiteral("Fukusu"), QStringLiteral("Log_No")},
            .listItems = &table::contentItems,
            .caption = c::Caption,
            .label1 = c::Label1,
            .label3 = c::Label3,
            .noName = c::NoName,
            .nothingSelected = c::NothingSelected,
            .done = c::Done,
            .historyName = texts::history::ContentSet,
            .hasStandardSet = true,
            .nameInputFollowsLanguage = false};
}

SelectionSetKind unitSets()
{
    namespace u = texts::usentaku;
    return {.objectName = QStringLiteral("Frm_USentaku"),
            .table = {QStringLiteral("UFukusu"), QStringLiteral("Unit_SN")},
            .listItems = [](Database& db, bool) { return table::unitItems(db); },
            .caption = u::Caption,
            .label1 = u::Label1,
            .label3 = u::Label3,
            .noName = u::NoName,
            .nothingSelected = u::NothingSelected,
            .done = u::Done,
            .historyName = texts::history::UnitSet,
            .hasStandardSet = false,
            .nameInputFollowsLanguage = true};
}

} // namespace

Frm_SelectionSet::Frm_SelectionSet(AppContext& ctx, SelectionSetKind kind, QWidget* parent)
    : QDialog(parent), ctx_(ctx), kind_(std::move(kind))
{
    setObjectName(kind_.objectName);
    const Switches& sw = ctx_.sw;
    setWindowTitle(kind_.caption.in(sw));

    Label1 = heading(kind_.label1.in(sw), this);

    List_Nai = named(new QListWidget(this), "List_Nai");
    // A click selects an item, a click on a selected item deselects it.
    List_Nai->setSelectionMode(QAbstractItemView::MultiSelection);
    List_Nai->setToolTip(t::Tip_List_Nai.in(sw));
    Label3 = named(new QLabel(kind_.label3.in(sw), this), "Label3");
    Label3->setBuddy(List_Nai);

    // A typed name stays as typed and selects nothing; only a name picked
    // from the drop-down list loads its set (Cmb_Name_Click).
    Cmb_Name = named(window_parts::typedTextStays(new QComboBox(this)), "Cmb_Name");
    Cmb_Name->setToolTip(t::Tip_Cmb_Name.in(sw));
    Label2 = named(new QLabel(t::Label2.in(sw), this), "Label2");
    Label2->setBuddy(Cmb_Name);

    Cmd_New = makeButton("Cmd_New", t::Cmd_New, t::Tip_Cmd_New, sw, this);
    Cmd_Add = makeButton("Cmd_Add", t::Cmd_Add, t::Tip_Cmd_Add, sw, this);
    Cmd_Del = makeButton("Cmd_Del", t::Cmd_Del, t::Tip_Cmd_Del, sw, this);
    Cmd_Modoru = makeButton("Cmd_Modoru", t::Cmd_Modoru, t::Tip_Cmd_Modoru, sw, this);
    auto* enter = new EnterKey(this);
    // A key goes to the box when it has the focus, to its line edit when that has it.
    enter->handOn(Cmb_Name, Cmd_Add);
    enter->handOn(Cmb_Name->lineEdit(), Cmd_Add);
    enter->pressOnEnter({Cmd_New, Cmd_Add, Cmd_Del, Cmd_Modoru});

    buildLayout();

    connect(Cmb_Name, &QComboBox::activated, this, &Frm_SelectionSet::Cmb_Name_Click);
    connect(Cmd_New, &QPushButton::clicked, this, &Frm_SelectionSet::Cmd_New_Click);
    connect(Cmd_Add, &QPushButton::clicked, this, &Frm_SelectionSet::Cmd_Add_Click);
    connect(Cmd_Del, &QPushButton::clicked, this, &Frm_SelectionSet::Cmd_Del_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_SelectionSet::Cmd_Modoru_Click);

    Form_Load();
}

void Frm_SelectionSet::buildLayout()
{
    // The list on the left; the name, the commands and the way back on the right.
    auto* right = new QVBoxLayout;
    right->addWidget(Cmb_Name);
    right->addSpacing(12);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {Cmd_New, Cmd_Add, Cmd_Del})
        commands->addWidget(b);
    right->addLayout(commands);
    right->addStretch();
    auto* back = new QHBoxLayout;
    back->addStretch();
    back->addWidget(Cmd_Modoru);
    right->addLayout(back);

    auto* body = new QGridLayout;
    body->addWidget(Label3, 0, 0);
    body->addWidget(Label2, 0, 1);
    body->addWidget(List_Nai, 1, 0);
    body->addLayout(right, 1, 1);
    body->setColumnStretch(0, 3);
    body->setColumnStretch(1, 2);
    body->setHorizontalSpacing(16);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 18);
    layout->setSpacing(10);
    layout->addWidget(Label1);
    layout->addLayout(body);

    const int em = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    List_Nai->setMinimumSize(18 * em, 16 * fontMetrics().height());
    Cmb_Name->setMinimumWidth(16 * em);
}

void Frm_SelectionSet::Form_Load()
{
    // A unit set's name follows the language: Japanese input starts with the
    // input method on, English takes Latin letters only.
    if (kind_.nameInputFollowsLanguage) {
        QLineEdit* edit = Cmb_Name->lineEdit();
        edit->setAttribute(Qt::WA_InputMethodEnabled, !ctx_.sw.english());
        if (ctx_.sw.english())
            edit->setInputMethodHints(Qt::ImhLatinOnly);
    }
    Load_List();
    Load_Names();
}

void Frm_SelectionSet::Load_List()
{
    List_Nai->clear();
    try {
        for (const table::ListItem& item : kind_.listItems(*ctx_.db, ctx_.sw.english())) {
            auto* row = new QListWidgetItem(item.text, List_Nai);
            row->setData(Qt::UserRole, item.key);
        }
    } catch (const DbError& e) {
        tellDbError(e);
    }
}

void Frm_SelectionSet::Load_Names()
{
    // Only the drop-down list changes; the box keeps its text.
    const QString text = Cmb_Name->currentText();
    Cmb_Name->clear();
    try {
        Cmb_Name->addItems(table::names(*ctx_.db, kind_.table));
    } catch (const DbError& e) {
        tellDbError(e);
    }
    Cmb_Name->setCurrentIndex(-1);
    Cmb_Name->setEditText(text);
}

bool Frm_SelectionSet::Name_Exists(const QString& name)
{
    return table::exists(*ctx_.db, kind_.table, name);
}

void Frm_SelectionSet::Cmb_Name_Click()
{
    Load_List();
    QVariantList members;
    try {
        members = table::members(*ctx_.db, kind_.table, Cmb_Name->currentText());
    } catch (const DbError& e) {
        tellDbError(e);
        return;
    }
    // Each member selects the first item that stands for it; a member no
    // longer listed is skipped.
    for (const QVariant& member : members) {
        const QString key = member.toString();
        for (int i = 0; i < List_Nai->count(); ++i) {
            QListWidgetItem* item = List_Nai->item(i);
            if (item->data(Qt::UserRole).toString() == key) {
                item->setSelected(true);
                break;
            }
        }
    }
}

void Frm_SelectionSet::Cmd_New_Click()
{
    Load_List();
    Cmb_Name->setCurrentIndex(-1);
    Cmb_Name->clearEditText();
}

bool Frm_SelectionSet::isStandardName(const QString& name) const
{
    return kind_.hasStandardSet && name == delivered_db::standardSetName(ctx_.sw.english());
}

QVariantList Frm_SelectionSet::selectedMembers() const
{
    QVariantList members;
    for (int i = 0; i < List_Nai->count(); ++i) {
        const QListWidgetItem* item = List_Nai->item(i);
        if (item->isSelected())
            members << item->data(Qt::UserRole);
    }
    return members;
}

void Frm_SelectionSet::Cmd_Add_Click()
{
    const QString name = unique_keys::withoutTrailingBlanks(Cmb_Name->currentText());
    if (isStandardName(name)) {
        tell(t::StandardRefused.in(ctx_.sw));
        return;
    }
    if (name.isEmpty()) {
        tell(kind_.noName.in(ctx_.sw));
        return;
    }
    if (name.size() > table::kMaxNameLength) {
        tell(t::NameTooLong.in(ctx_.sw).arg(table::kMaxNameLength), MsgIcon::Exclamation);
        return;
    }
    bool existed = false;
    try {
        existed = Name_Exists(name);
        const bool overwriteRefused = existed && !askedYes(t::Overwrite.in(ctx_.sw).arg(name));
        // The selection is checked before anything is removed, so a set is
        // never lost to an empty selection.
        const QVariantList members = selectedMembers();
        if (members.isEmpty()) {
            tell(kind_.nothingSelected.in(ctx_.sw));
            return;
        }
        if (overwriteRefused)
            return;
        const BusyCursor busy;
        table::write(*ctx_.db, kind_.table, name, members, ctx_.now());
    } catch (const DbError& e) {
        tellDbError(e);
        return;
    }
    noteInHistory(existed ? texts::history::Changed : texts::history::Added, name);
    Cmd_New_Click();
    Load_Names();
    tell(kind_.done.in(ctx_.sw));
}

void Frm_SelectionSet::Cmd_Del_Click()
{
    const QString name = unique_keys::withoutTrailingBlanks(Cmb_Name->currentText());
    if (isStandardName(name)) {
        tell(t::StandardNotDeleted.in(ctx_.sw));
        return;
    }
    if (!askedYes(t::Delete.in(ctx_.sw).arg(name)))
        return;
    try {
        table::remove(*ctx_.db, kind_.table, name);
    } catch (const DbError& e) {
        tellDbError(e);
        return;
    }
    noteInHistory(texts::history::Removed, name);
    Cmd_New_Click();
    Load_List();
    Load_Names();
}

void Frm_SelectionSet::noteInHistory(const BiText& change, const QString& name)
{
    op_history::add(ctx_, this, op_history::Op::Set,
                    change.in(ctx_.sw).arg(kind_.historyName.in(ctx_.sw).arg(name)));
}

void Frm_SelectionSet::Cmd_Modoru_Click()
{
    accept();
}

void Frm_SelectionSet::tell(const QString& text, MsgIcon icon)
{
    ctx_.dialogs->message(this, text, t::Title.in(ctx_.sw), MsgButtons::Ok, icon);
}

bool Frm_SelectionSet::askedYes(const QString& text)
{
    // Every question here deletes or overwrites a set: Enter answers No.
    return ctx_.dialogs->message(this, text, t::Title.in(ctx_.sw), MsgButtons::YesNoDefaultNo) ==
           MsgAnswer::Yes;
}

void Frm_SelectionSet::tellDbError(const DbError& e)
{
    tell(failureText(e, t::DbFailed.in(ctx_.sw)), MsgIcon::Exclamation);
}

Frm_Sentaku::Frm_Sentaku(AppContext& ctx, QWidget* parent)
    : Frm_SelectionSet(ctx, contentSets(), parent)
{
}

Frm_USentaku::Frm_USentaku(AppContext& ctx, QWidget* parent)
    : Frm_SelectionSet(ctx, unitSets(), parent)
{
}
