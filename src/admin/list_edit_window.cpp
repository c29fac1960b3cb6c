#include "admin/list_edit_window.h"

#include "admin/list_edit_table.h"
#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/admin.h"
#include "base/texts/history.h"
#include "db/database.h"
#include "db/unique_keys.h"
#include "db/write_outcome.h"
#include "history/op_history.h"
#include "ui/window_message.h"
#include "ui/window_parts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

using namespace list_edit;
namespace common = texts::list_edit;

ListEditWindow::ListEditWindow(AppContext& ctx, const ListEditSpec& spec, QWidget* parent)
    : QDialog(parent), ctx_(ctx), spec_(spec)
{
    setObjectName(QLatin1String(spec.windowName));
    setWindowTitle(spec.caption.in(ctx_.sw));
    buildControls();
    buildLayout();
    connectControls();
    Form_Load();
}

void ListEditWindow::Form_Load()
{
    Grid_Init();
    SN_Read();
    Grid_Read();
}

void ListEditWindow::Grid_Init()
{
    const bool english = ctx_.sw.english();
    const int columns = static_cast<int>(spec_.columns.size());
    MSFG->setColumnCount(columns);
    MSFG->setRowCount(0);
    int width = 2 * MSFG->frameWidth();
    for (int c = 0; c < columns; ++c) {
        auto* head = new QTableWidgetItem(spec_.columns[c].heading.pick(english));
        head->setTextAlignment(Qt::AlignCenter);
        MSFG->setHorizontalHeaderItem(c, head);
        const int px = twipsToPixels(spec_.columns[c].widthTwips, MSFG);
        MSFG->setColumnWidth(c, px);
        width += px;
    }
    MSFG->setFixedWidth(width + MSFG->verticalScrollBar()->sizeHint().width());
    MSFG->setMinimumHeight(twipsToPixels(3000, MSFG));
}

void ListEditWindow::SN_Read()
{
    auto* box = qobject_cast<QComboBox*>(controls_[spec_.keyField]);
    if (!box)
        return;
    box->clear();
    try {
        box->addItems(readKeyList(*ctx_.db, spec_));
    } catch (const DbError& e) {
        tellDbError(e);
    }
    box->setCurrentIndex(-1);
    box->clearEditText();
}

void ListEditWindow::Grid_Read()
{
    MSFG->setRowCount(0);
    Input_Clear();
    MSFG->clearSelection();
    MSFG->setCurrentCell(-1, -1);
    QList<QStringList> rows;
    try {
        rows = readRows(*ctx_.db, spec_, ctx_.sw.english());
    } catch (const DbError& e) {
        tellDbError(e);
        return;
    }
    MSFG->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            auto* cell = new QTableWidgetItem(rows[r][c]);
            cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            MSFG->setItem(r, c, cell);
        }
    }
}

void ListEditWindow::Input_Clear()
{
    for (int i = 0; i < spec_.fields.size(); ++i)
        setFieldText(i, QString());
}

void ListEditWindow::MSFG_Click(int row)
{
    // The heading row (or the empty space below the rows) loads nothing.
    if (row < 0 || row >= MSFG->rowCount())
        return;
    Input_Clear();
    MSFG->selectRow(row);
    const char* key = spec_.fields[spec_.keyField].column;
    int keyColumn = 0;
    while (keyColumn < spec_.columns.size() &&
           qstrcmp(spec_.columns[keyColumn].column ? spec_.columns[keyColumn].column : "", key))
        ++keyColumn;
    std::optional<QHash<int, QString>> found;
    try {
        found = findRow(*ctx_.db, spec_, MSFG->item(row, keyColumn)->text());
    } catch (const DbError& e) {
        tellDbError(e);
        return;
    }
    if (!found)
        return;
    for (auto it = found->cbegin(); it != found->cend(); ++it)
        setFieldText(it.key(), it.value());
}

void ListEditWindow::showKey(const QString& key)
{
    const QList<QTableWidgetItem*> found = MSFG->findItems(key, Qt::MatchExactly);
    for (const QTableWidgetItem* cell : found) {
        const char* column = spec_.columns[cell->column()].column;
        if (column && qstrcmp(column, spec_.fields[spec_.keyField].column) == 0) {
            MSFG_Click(cell->row());
            return;
        }
    }
}

void ListEditWindow::keyChosen(int index)
{
    auto* box = qobject_cast<QComboBox*>(controls_[spec_.keyField]);
    std::optional<QHash<int, QString>> found;
    try {
        found = findRow(*ctx_.db, spec_, box->itemText(index));
    } catch (const DbError& e) {
        tellDbError(e);
        return;
    }
    // A number without a row keeps what the other fields hold.
    if (found) {
        for (auto it = found->cbegin(); it != found->cend(); ++it) {
            if (it.key() != spec_.keyField)
                setFieldText(it.key(), it.value());
        }
    }
    QLineEdit* next = edits_[spec_.keyField + 1];
    next->setFocus();
    next->selectAll();
}

void ListEditWindow::enterPressed(int chainPosition)
{
    if (chainPosition + 1 < spec_.enterChain.size()) {
        QLineEdit* next = edits_[spec_.enterChain[chainPosition + 1]];
        next->setFocus();
        next->selectAll();
    } else {
        Cmd_Add->setFocus();
    }
}

void ListEditWindow::Cmd_New_Click()
{
    Input_Clear();
    MSFG->clearSelection();
    MSFG->setCurrentCell(-1, -1);
    controls_[spec_.keyField]->setFocus();
}

QString ListEditWindow::registrationRefusal() const
{
    const bool english = ctx_.sw.english();
    QString message;
    for (const EmptyTest& test : spec_.emptyTests) {
        if (fieldText(test.field).isEmpty())
            message = test.message.pick(english);
    }
    if (!message.isEmpty())
        return message;
    if (spec_.sameText && fieldText(spec_.sameText->field) != fieldText(spec_.sameText->other))
        return spec_.sameText->message.pick(english);
    for (int i = 0; i < spec_.fields.size(); ++i) {
        if (!fits(spec_.fields[i].limit, fieldText(i)))
            return spec_.fields[i].tooLong.pick(english);
        if (window_parts::characterCount(fieldText(i)) < spec_.fields[i].minLength)
            return spec_.fields[i].tooShort.pick(english);
    }
    return {};
}

void ListEditWindow::Cmd_Add_Click()
{
    const QString refusal = registrationRefusal();
    if (!refusal.isEmpty()) {
        tell(refusal, true);
        return;
    }
    QStringList values;
    for (int i = 0; i < spec_.fields.size(); ++i)
        values << fieldText(i);
    Saved saved;
    try {
        saved = saveRow(*ctx_.db, spec_, values, ctx_.now());
    } catch (const DbError& e) {
        tellDbError(e);
        return;
    }
    namespace h = texts::history;
    op_history::add(ctx_, this, spec_.historyOp,
                    (saved.added ? h::Added : h::Changed)
                        .in(ctx_.sw)
                        .arg(describe(spec_, values, ctx_.sw.english())));
    if (saved.digestChanged)
        op_history::add(ctx_, this, spec_.digestHistoryOp,
                        unique_keys::withoutTrailingBlanks(values[spec_.keyField]));
    changed_ = true;
    tell(spec_.registered.in(ctx_.sw), false);
    Grid_Read();
}

void ListEditWindow::Cmd_Del_Click()
{
    const QString key = fieldText(spec_.keyField);
    const QString protectedKey = QLatin1String(spec_.protectedKey);
    if (key.isEmpty()) {
        tell(spec_.deleteWithoutKey.in(ctx_.sw), true);
        return;
    }
    if (!protectedKey.isEmpty() && key == protectedKey) {
        tell(spec_.protectedMessage.in(ctx_.sw), true);
        return;
    }
    if (ctx_.dialogs->message(this, spec_.deleteQuestion.in(ctx_.sw).arg(key),
                              spec_.messageTitle.in(ctx_.sw), MsgButtons::YesNoDefaultNo,
                              MsgIcon::None) != MsgAnswer::Yes)
        return;
    // The key matches with its trailing blanks left out, so "admin " names the
    // protected row too: it stays, and the operator is told so.
    if (!protectedKey.isEmpty() && unique_keys::withoutTrailingBlanks(key) == protectedKey) {
        tell(spec_.protectedMessage.in(ctx_.sw), true);
        return;
    }
    try {
        deleteRows(*ctx_.db, spec_, key);
    } catch (const DbError& e) {
        tellDbError(e);
        return;
    }
    op_history::add(
        ctx_, this, spec_.historyOp,
        texts::history::Removed.in(ctx_.sw).arg(unique_keys::withoutTrailingBlanks(key)));
    changed_ = true;
    tell(common::Deleted.in(ctx_.sw), false);
    Grid_Read();
}

void ListEditWindow::Cmd_Modoru_Click()
{
    close();
}

void ListEditWindow::done(int)
{
    QDialog::done(changed_ ? Accepted : Rejected);
}

QString ListEditWindow::fieldText(int field) const
{
    if (auto* box = qobject_cast<QCheckBox*>(controls_[field]))
        return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return edits_[field]->text();
}

void ListEditWindow::setFieldText(int field, const QString& text)
{
    // An empty text is a new entry's: a check box then starts off.
    if (auto* box = qobject_cast<QCheckBox*>(controls_[field])) {
        box->setChecked(text == QLatin1String("1"));
        return;
    }
    if (auto* box = qobject_cast<QComboBox*>(controls_[field]))
        box->setCurrentIndex(-1);
    edits_[field]->setText(text);
}

void ListEditWindow::tell(const QString& text, bool warning)
{
    window_message::tell(*ctx_.dialogs, this, spec_.messageTitle.in(ctx_.sw), text, warning);
}

void ListEditWindow::tellDbError(const DbError& e)
{
    tell(failureText(e, common::DbFailed.in(ctx_.sw)), true);
}
