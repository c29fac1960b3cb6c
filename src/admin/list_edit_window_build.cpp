#include "admin/list_edit_window.h"

#include "admin/list_edit_table.h"
#include "base/app_context.h"
#include "base/texts/admin.h"
#include "db/unique_keys.h"
#include "ui/window_parts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

// The list-edit window's controls, their layout and their connections.

using namespace list_edit;
namespace common = texts::list_edit;

void ListEditWindow::buildControls()
{
    const Switches& sw = ctx_.sw;
    Label1 = window_parts::heading(spec_.caption.in(sw), this);

    MSFG = new QTableWidget(this);
    MSFG->setObjectName(QStringLiteral("MSFG"));
    MSFG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFG->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFG->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFG->setTabKeyNavigation(false);
    MSFG->verticalHeader()->hide();
    MSFG->horizontalHeader()->setSectionsClickable(false);
    MSFG->horizontalHeader()->setHighlightSections(false);
    MSFG->horizontalHeader()->setStretchLastSection(false);
    MSFG->horizontalHeader()->setMinimumSectionSize(1); // the widths are the window's own

    buildFields();

    if (spec_.hasNewButton) {
        Cmd_New = window_parts::button("Cmd_New", spec_.newCaption.in(sw), this);
        Cmd_New->setToolTip(spec_.newTip.in(sw));
    }
    Cmd_Add = window_parts::button("Cmd_Add", common::Cmd_Add.in(sw), this);
    Cmd_Add->setToolTip(spec_.addTip.in(sw));
    Cmd_Del = window_parts::button("Cmd_Del", common::Cmd_Del.in(sw), this);
    Cmd_Del->setToolTip(spec_.delTip.in(sw));
    Cmd_Modoru = window_parts::button("Cmd_Modoru", common::Cmd_Modoru.in(sw), this);

    QWidget* previous = nullptr;
    for (const QString& name : spec_.focusOrder) {
        auto* w = findChild<QWidget*>(name);
        if (previous && w)
            setTabOrder(previous, w);
        previous = w;
    }
    // The first of the focus order has the focus when the window opens.
    if (auto* first = findChild<QWidget*>(spec_.focusOrder.value(0)))
        first->setFocus();
}

// A label and a control per field (a check box is its own label), in the
// order of the fields.
void ListEditWindow::buildFields()
{
    const Switches& sw = ctx_.sw;
    for (const EditField& f : spec_.fields) {
        if (f.kind == EditField::Kind::Check) {
            // Captioned by its label; its text is "1" or "0".
            auto* box = new QCheckBox(f.label.in(sw), this);
            box->setObjectName(QLatin1String(f.name));
            labels_ << nullptr;
            controls_ << box;
            edits_ << nullptr;
            continue;
        }
        auto* label = new QLabel(f.label.in(sw), this);
        label->setObjectName(QLatin1String(f.labelName));
        QWidget* control = nullptr;
        QLineEdit* edit = nullptr;
        if (f.kind == EditField::Kind::ListChoice) {
            // Leaving the box with a listed number typed does not choose it
            // (which would load that number's name over the one typed).
            auto* box = window_parts::typedTextStays(new QComboBox(this));
            control = box;
            edit = box->lineEdit();
        } else {
            edit = new QLineEdit(this);
            control = edit;
            if (f.kind == EditField::Kind::Secret) {
                edit->setEchoMode(QLineEdit::Password);
                edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
            }
        }
        control->setObjectName(QLatin1String(f.name));
        control->setToolTip(f.tooltip.in(sw));
        // Refuses a character that would take the text beyond its limit or
        // that the limit's encoding cannot hold.
        window_parts::limitTyping(edit,
                                  [limit = f.limit](const QString& t) { return fits(limit, t); });
        if (!f.japaneseIme)
            edit->setAttribute(Qt::WA_InputMethodEnabled, false);
        else if (sw.english())
            edit->setInputMethodHints(Qt::ImhPreferLatin);
        label->setBuddy(control);
        labels_ << label;
        controls_ << control;
        edits_ << edit;
    }
}

void ListEditWindow::buildLayout()
{
    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(10);
    for (int i = 0; i < controls_.size(); ++i) {
        if (labels_[i])
            fields->addWidget(labels_[i], i, 0);
        fields->addWidget(controls_[i], i, 1);
        controls_[i]->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 12);
    }
    fields->setRowStretch(static_cast<int>(controls_.size()), 1);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(16);
    middle->addWidget(MSFG);
    middle->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    if (Cmd_New)
        buttons->addWidget(Cmd_New);
    buttons->addWidget(Cmd_Add);
    buttons->addWidget(Cmd_Del);
    buttons->addStretch();
    buttons->addWidget(Cmd_Modoru);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 12, 16, 14);
    root->setSpacing(10);
    root->addWidget(Label1);
    root->addLayout(middle, 1);
    root->addLayout(buttons);
}

void ListEditWindow::connectControls()
{
    if (Cmd_New)
        connect(Cmd_New, &QPushButton::clicked, this, &ListEditWindow::Cmd_New_Click);
    connect(Cmd_Add, &QPushButton::clicked, this, &ListEditWindow::Cmd_Add_Click);
    connect(Cmd_Del, &QPushButton::clicked, this, &ListEditWindow::Cmd_Del_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &ListEditWindow::Cmd_Modoru_Click);
    connect(MSFG, &QTableWidget::cellClicked, this, [this](int row, int) { MSFG_Click(row); });
    // Enter (or the platform's activation) on the grid's current row loads it as well.
    connect(MSFG, &QTableWidget::activated, this,
            [this](const QModelIndex& index) { MSFG_Click(index.row()); });
    if (auto* box = qobject_cast<QComboBox*>(controls_[spec_.keyField]))
        connect(box, &QComboBox::activated, this, &ListEditWindow::keyChosen);
    for (int i = 0; i < spec_.enterChain.size(); ++i)
        connect(edits_[spec_.enterChain[i]], &QLineEdit::returnPressed, this,
                [this, i] { enterPressed(i); });
    // A check box always on for a key shows so, and cannot be turned off, while the key is typed.
    for (int i = 0; i < spec_.fields.size(); ++i) {
        const char* key = spec_.fields[i].alwaysOnFor;
        auto* box = qobject_cast<QCheckBox*>(controls_[i]);
        if (!box || !*key)
            continue;
        connect(edits_[spec_.keyField], &QLineEdit::textChanged, box, [box, key](const QString& t) {
            const bool fixed = unique_keys::withoutTrailingBlanks(t) == QLatin1String(key);
            if (fixed)
                box->setChecked(true);
            box->setEnabled(!fixed);
        });
    }
}
