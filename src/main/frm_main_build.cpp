#include "main/frm_main.h"

#include "base/app_context.h"
#include "base/texts/main.h"
#include "base/texts/records.h"
#include "grid/log_grid_model.h"
#include "grid_view/log_grid_view.h"
#include "grid_view/sort_heading.h"
#include "search/main_lists.h"
#include "ui/window_parts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <initializer_list>
#include <utility>

// The main window's controls, their layout and its menu.

namespace t = texts::main_window;

namespace {

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

template <class W> W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton* makeButton(const QString& name, const QString& caption, const QString& tip,
                        QWidget* parent)
{
    auto* button = named(new QPushButton(caption, parent), name);
    button->setToolTip(tip);
    window_parts::pressOnEnter(button);
    return button;
}

// A date box: a drop-down list that accepts only its listed values.
QComboBox* makeDateBox(const char* name, int index, QWidget* parent)
{
    auto* box = named(new QComboBox(parent), indexed(name, index));
    box->setEditable(false);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // Never narrower than its longest entry, however small the window.
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return box;
}

QLabel* makeLabel(const char* name, const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = named(new QLabel(caption, parent), QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

} // namespace

void Frm_Main::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    buildCriteriaControls(central);
    buildCommandControls(central);
    buildStatusLine();
}

void Frm_Main::buildCriteriaControls(QWidget* central)
{
    Frame1 = named(new QGroupBox(textOf(t::Frame1), central), QStringLiteral("Frame1"));
    Opt_Ngh[0] = named(new QRadioButton(textOf(t::Opt_Ngh0), Frame1), indexed("Opt_Ngh", 0));
    Opt_Ngh[1] = named(new QRadioButton(textOf(t::Opt_Ngh1), Frame1), indexed("Opt_Ngh", 1));
    for (int i = 0; i < 2; ++i) {
        Cmb_Nen[i] = makeDateBox("Cmb_Nen", i, Frame1);
        Cmb_Tuki[i] = makeDateBox("Cmb_Tuki", i, Frame1);
        Cmb_Hi[i] = makeDateBox("Cmb_Hi", i, Frame1);
    }
    Label1 = makeLabel("Label1", textOf(t::LabelYear), Cmb_Nen[0], Frame1);
    Label2 = makeLabel("Label2", textOf(t::LabelMonth), Cmb_Tuki[0], Frame1);
    Label3 = makeLabel("Label3", textOf(t::LabelDay), Cmb_Hi[0], Frame1);
    Label4 = makeLabel("Label4", textOf(t::LabelYear), Cmb_Nen[1], Frame1);
    Label5 = makeLabel("Label5", textOf(t::LabelMonth), Cmb_Tuki[1], Frame1);
    Label6 = makeLabel("Label6", textOf(t::LabelDay), Cmb_Hi[1], Frame1);
    Label7 = makeLabel("Label7", textOf(t::Label7), Cmb_Nen[1], Frame1);

    Frame3 = named(new QGroupBox(textOf(t::Frame3), central), QStringLiteral("Frame3"));
    Opt_User[0] = named(new QRadioButton(textOf(t::Opt_User0), Frame3), indexed("Opt_User", 0));
    Opt_User[1] = named(new QRadioButton(textOf(t::Opt_User1), Frame3), indexed("Opt_User", 1));
    Cmb_User = named(new QComboBox(Frame3), QStringLiteral("Cmb_User"));
    Cmd_Fuku[1] =
        makeButton(indexed("Cmd_Fuku", 1), textOf(t::Cmd_Fuku), textOf(t::Tip_Cmd_Fuku1), Frame3);

    Frame4 = named(new QGroupBox(textOf(t::Frame4), central), QStringLiteral("Frame4"));
    Opt_Naiyou[0] =
        named(new QRadioButton(textOf(t::Opt_Naiyou0), Frame4), indexed("Opt_Naiyou", 0));
    Opt_Naiyou[1] =
        named(new QRadioButton(textOf(t::Opt_Naiyou1), Frame4), indexed("Opt_Naiyou", 1));
    Cmb_Naiyou = named(new QComboBox(Frame4), QStringLiteral("Cmb_Naiyou"));
    Cmd_Fuku[0] =
        makeButton(indexed("Cmd_Fuku", 0), textOf(t::Cmd_Fuku), textOf(t::Tip_Cmd_Fuku0), Frame4);

    // The unit and content boxes also take typed text.
    for (QComboBox* box : {Cmb_User, Cmb_Naiyou}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(14);
    }
    // The content box shows the standard set's entry whole, which is longer in English.
    const QFontMetrics metrics = Cmb_Naiyou->fontMetrics();
    const int standardWidth =
        metrics.horizontalAdvance(main_lists::standardSetEntry(ctx_.sw.english()));
    Cmb_Naiyou->setMinimumContentsLength(
        qMax(14, standardWidth / metrics.horizontalAdvance(QLatin1Char('X')) + 2));
    // The option button that enables a box names it for a screen reader.
    Cmb_User->setAccessibleName(textOf(t::Opt_User1));
    Cmb_Naiyou->setAccessibleName(textOf(t::Opt_Naiyou1));

    Chk_Hozonzumi =
        named(new QCheckBox(textOf(t::Chk_Hozonzumi), central), QStringLiteral("Chk_Hozonzumi"));

    Cmd_Find = makeButton(QStringLiteral("Cmd_Find"), textOf(t::Cmd_Find), textOf(t::Tip_Cmd_Find),
                          central);
}

void Frm_Main::buildCommandControls(QWidget* central)
{
    MSFG = named(new LogGridView(central), QStringLiteral("MSFG"));
    sortHeading_ =
        new SortHeading(MSFG,
                        {textOf(t::Cmb_Sort0), textOf(t::Cmb_Sort1), textOf(t::Cmb_Sort2),
                         textOf(t::Cmb_Sort3), textOf(t::Cmb_Sort4), textOf(t::Cmb_Sort5)},
                        QStringLiteral("Cmb_Sort"));
    for (int i = 0; i < 6; ++i)
        Cmb_Sort[i] = sortHeading_->button(i);

    Cmd_Read = makeButton(QStringLiteral("Cmd_Read"), textOf(t::Cmd_Read), textOf(t::Tip_Cmd_Read),
                          central);
    Cmd_Save = makeButton(QStringLiteral("Cmd_Save"), textOf(t::Cmd_Save), textOf(t::Tip_Cmd_Save),
                          central);
    Cmd_Print = makeButton(QStringLiteral("Cmd_Print"), textOf(t::Cmd_Print),
                           textOf(t::Tip_Cmd_Print), central);
    Cmd_Setei = makeButton(QStringLiteral("Cmd_Setei"), textOf(t::Cmd_Setei),
                           textOf(t::Tip_Cmd_Setei), central);
    Cmd_kanri = makeButton(QStringLiteral("Cmd_kanri"), textOf(t::Cmd_kanri),
                           textOf(t::Tip_Cmd_kanri), central);
    Cmd_End =
        makeButton(QStringLiteral("Cmd_End"), textOf(t::Cmd_End), textOf(t::Tip_Cmd_End), central);
    Cmd_Sousa = makeButton(QStringLiteral("Cmd_Sousa"), textOf(t::Cmd_Sousa),
                           textOf(t::Tip_Cmd_Sousa), central);
    Cmd_Sousa->setVisible(false);
    // Hidden is not enough: accessibility tools press hidden buttons.
    Cmd_Sousa->setEnabled(ctx_.sw.test());

    Txt_Yomi = named(new QLineEdit(textOf(t::Txt_Yomi), central), QStringLiteral("Txt_Yomi"));
    Txt_Yomi->setReadOnly(true);
    Txt_Yomi->setFocusPolicy(Qt::NoFocus);
    Txt_Yomi->setAlignment(Qt::AlignCenter);
    Txt_Yomi->setStyleSheet(QStringLiteral("QLineEdit { color: #c00000; font-weight: bold; }"));
    Txt_Yomi->setMaximumWidth(Txt_Yomi->fontMetrics().horizontalAdvance(Txt_Yomi->text()) * 3);
    QSizePolicy keepPlace = Txt_Yomi->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Txt_Yomi->setSizePolicy(keepPlace);
    Txt_Yomi->setVisible(false);
}

void Frm_Main::buildStatusLine()
{
    // The status line: what the last read did, empty until the first read.
    LB_Status = named(new QLabel(this), QStringLiteral("LB_Status"));
    statusBar()->addWidget(LB_Status, 1);
    // At the right end: how many logs the last search found.
    LB_Count = named(new QLabel(this), QStringLiteral("LB_Count"));
    // As tall as its texts will be: a Japanese font is taller than the Latin one
    // the empty line is measured in, and the line does not grow later.
    LB_Count->setText(textOf(texts::search_status::Reading));
    for (QLabel* line : {LB_Status, LB_Count})
        line->setMinimumHeight(LB_Count->minimumSizeHint().height());
    LB_Count->clear();
    statusBar()->addPermanentWidget(LB_Count);
}

// The search criteria: the three groups and the search button.
QHBoxLayout* Frm_Main::criteriaLayout()
{
    // Each group: its two options on top, its boxes below.
    const auto options = [](QRadioButton* all, QRadioButton* chosen) {
        auto* row = new QHBoxLayout;
        row->addWidget(all);
        row->addSpacing(8);
        row->addWidget(chosen);
        row->addStretch();
        return row;
    };

    // Dates: the first day, then "～" and the last day beneath it.
    auto* dates = new QGridLayout;
    dates->setHorizontalSpacing(4);
    const std::array<std::array<QWidget*, 6>, 2> dateRow = {
        {{Cmb_Nen[0], Label1, Cmb_Tuki[0], Label2, Cmb_Hi[0], Label3},
         {Cmb_Nen[1], Label4, Cmb_Tuki[1], Label5, Cmb_Hi[1], Label6}}};
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 6; ++col)
            dates->addWidget(dateRow[row][col], row, col + 1);
    }
    dates->addWidget(Label7, 1, 0, Qt::AlignRight);
    dates->setColumnMinimumWidth(0, Label7->sizeHint().width());
    dates->setColumnStretch(7, 1);
    auto* frame1 = new QVBoxLayout(Frame1);
    frame1->addLayout(options(Opt_Ngh[0], Opt_Ngh[1]));
    frame1->addLayout(dates);

    const auto choiceGroup = [&](QGroupBox* frame, QRadioButton* all, QRadioButton* chosen,
                                 QComboBox* box, QPushButton* sets) {
        auto* setsRow = new QHBoxLayout;
        setsRow->addStretch();
        setsRow->addWidget(sets);
        auto* layout = new QVBoxLayout(frame);
        layout->addLayout(options(all, chosen));
        layout->addWidget(box);
        layout->addLayout(setsRow);
    };
    choiceGroup(Frame3, Opt_User[0], Opt_User[1], Cmb_User, Cmd_Fuku[1]);
    choiceGroup(Frame4, Opt_Naiyou[0], Opt_Naiyou[1], Cmb_Naiyou, Cmd_Fuku[0]);

    Cmd_Find->setMinimumWidth(Cmd_Find->sizeHint().width() + 32);
    Cmd_Find->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    auto* findColumn = new QVBoxLayout;
    // Level with the frames' borders, below their titles.
    findColumn->setContentsMargins(0, Frame1->fontMetrics().height() / 2 + 1, 0, 0);
    findColumn->addWidget(Cmd_Find);

    auto* criteria = new QHBoxLayout;
    criteria->addWidget(Frame1);
    criteria->addWidget(Frame3, 3);
    criteria->addWidget(Frame4, 4);
    criteria->addLayout(findColumn);
    return criteria;
}

// The command buttons below the grid.
QHBoxLayout* Frm_Main::commandsLayout()
{
    auto* commands = new QHBoxLayout;
    commands->addWidget(Txt_Yomi);
    commands->addStretch();
    for (QPushButton* b : {Cmd_Read, Cmd_Save, Cmd_Print})
        commands->addWidget(b);
    commands->addSpacing(16);
    for (QPushButton* b : {Cmd_Setei, Cmd_kanri})
        commands->addWidget(b);
    commands->addSpacing(16);
    commands->addWidget(Cmd_End);
    commands->addWidget(Cmd_Sousa);
    const int buttonWidth =
        Cmd_kanri->fontMetrics().horizontalAdvance(QStringLiteral("Port Set")) + 40;
    for (QPushButton* b : {Cmd_Read, Cmd_Save, Cmd_Print, Cmd_Setei, Cmd_kanri, Cmd_End})
        b->setMinimumWidth(buttonWidth);
    return commands;
}

void Frm_Main::buildLayout()
{
    QHBoxLayout* criteria = criteriaLayout();
    QHBoxLayout* commands = commandsLayout();

    // Tab runs from the search button through the heading buttons to the
    // grid, which it leaves for the commands below it.
    QWidget* previous = Cmd_Find;
    for (QWidget* next : std::initializer_list<QWidget*>{
             Cmb_Sort[0], Cmb_Sort[1], Cmb_Sort[2], Cmb_Sort[3], Cmb_Sort[4], Cmb_Sort[5], MSFG,
             Cmd_Read, Cmd_Save, Cmd_Print, Cmd_Setei, Cmd_kanri, Cmd_End})
        setTabOrder(std::exchange(previous, next), next);

    auto* root = new QVBoxLayout(centralWidget());
    root->setContentsMargins(10, 8, 10, 10);
    root->setSpacing(8);
    root->addLayout(criteria);
    root->addWidget(Chk_Hozonzumi);
    root->addWidget(MSFG, 1);
    root->addLayout(commands);

    // Wide enough for every column of the grid and its scroll bar.
    int columns = 0;
    for (int i = 0; i < LogGridModel::Cols; ++i)
        columns += twipsToPixels(LogGridModel::colWidthTwips(i), this);
    const int gridWidth =
        columns + MSFG->verticalScrollBar()->sizeHint().width() + 2 * MSFG->frameWidth();
    resize(qMax(gridWidth + root->contentsMargins().left() + root->contentsMargins().right(),
                centralWidget()->sizeHint().width()),
           twipsToPixels(9600, this));
}

void Frm_Main::buildMenu()
{
    M_File = named(menuBar()->addMenu(textOf(t::M_File)), QStringLiteral("M_File"));
    const auto entry = [this](const char* name, const BiText& caption) {
        return named(M_File->addAction(textOf(caption)), QLatin1String(name));
    };
    const auto bar = [this](const char* name) {
        return named(M_File->addSeparator(), QLatin1String(name));
    };
    M_Read = entry("M_Read", t::M_Read);
    M_Bar1 = bar("M_Bar1");
    M_Save = entry("M_Save", t::M_Save);
    M_Save->setShortcut(QKeySequence::Save);
    M_Bar2 = bar("M_Bar2");
    M_Print = entry("M_Print", t::M_Print);
    M_Print->setShortcut(QKeySequence::Print);
    M_Bar7 = bar("M_Bar7");
    M_Kiroku = entry("M_Kiroku", texts::records::Caption);
    M_Kiroku->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    M_Bar6 = bar("M_Bar6");
    M_Stat = entry("M_Stat", t::M_Stat);
    M_Stat->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    M_Bar3 = bar("M_Bar3");
    M_Setei = entry("M_Setei", t::M_Setei);
    M_Bar4 = bar("M_Bar4");
    M_Kanri = entry("M_Kanri", t::M_Kanri);
    M_Bar5 = bar("M_Bar5");
    M_End = entry("M_End", t::M_End);
    M_End->setShortcut(QKeySequence::Quit);
    // An empty entry keeps a gap before the version entry.
    M_Space = named(menuBar()->addAction(QString()), QStringLiteral("M_Space"));
    M_Space->setEnabled(false);
    M_Ver = named(menuBar()->addAction(textOf(t::M_Ver)), QStringLiteral("M_Ver"));
}
