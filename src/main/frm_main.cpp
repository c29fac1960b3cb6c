#include "main/frm_main.h"

#include "admin/frm_kanri.h"
#include "admin/frm_ver.h"
#include "base/app_context.h"
#include "base/busy_cursor.h"
#include "base/dialogs.h"
#include "base/texts/main.h"
#include "base/window_parts.h"
#include "comm/frm_com.h"
#include "comm/log_store.h"
#include "comm/sample_stream.h"
#include "db/database.h"
#include "grid/log_grid_model.h"
#include "grid/log_grid_view.h"
#include "grid/sort_heading.h"
#include "main/log_search.h"
#include "main/main_lists.h"
#include "main/read_adapter.h"
#include "main/search_session.h"
#include "output/log_output_commands.h"
#include "sets/frm_selection_set.h"
#include "stats/frm_stat.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

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

// A count with thousands separators ("1,234"), in either language.
QString grouped(int count)
{
    return QLocale(QLocale::English).toString(count);
}

// Sets the entries of a box and shows the one with the given text.
void fillList(QComboBox* box, const QStringList& entries, const QString& current)
{
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(box->findText(current));
}

} // namespace

Frm_Main::Frm_Main(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("Frm_Main"));
    setWindowTitle(textOf(t::Caption));
    buildControls();
    search_ = std::make_unique<SearchSession>(this, Cmd_End, MSFG);
    search_->onProgress = [this](int rows) {
        LB_Count->setText(textOf(texts::search_status::Reading).arg(grouped(rows)));
    };
    buildLayout();
    buildMenu();
    connectControls();
}

Frm_Main::~Frm_Main() = default;

void Frm_Main::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);

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

    Cmd_Find = makeButton(QStringLiteral("Cmd_Find"), textOf(t::Cmd_Find), textOf(t::Tip_Cmd_Find),
                          central);

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

    // The status line: what the last read did, empty until the first read.
    LB_Status = named(new QLabel(this), QStringLiteral("LB_Status"));
    statusBar()->addWidget(LB_Status, 1);
    // At the right end: how many logs the last search found.
    LB_Count = named(new QLabel(this), QStringLiteral("LB_Count"));
    statusBar()->addPermanentWidget(LB_Count);
}

void Frm_Main::buildLayout()
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

    auto* root = new QVBoxLayout(centralWidget());
    root->setContentsMargins(10, 8, 10, 10);
    root->setSpacing(8);
    root->addLayout(criteria);
    root->addWidget(MSFG, 1);
    root->addLayout(commands);

    // Wide enough for every column of the grid and its scroll bar.
    int columns = 0;
    for (int i = 0; i < LogGridModel::Cols; ++i)
        columns += LogGridView::twipsToPixels(LogGridModel::colWidthTwips(i), this);
    const int gridWidth =
        columns + MSFG->verticalScrollBar()->sizeHint().width() + 2 * MSFG->frameWidth();
    resize(qMax(gridWidth + root->contentsMargins().left() + root->contentsMargins().right(),
                centralWidget()->sizeHint().width()),
           LogGridView::twipsToPixels(9600, this));
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
    M_Bar2 = bar("M_Bar2");
    M_Print = entry("M_Print", t::M_Print);
    M_Bar6 = bar("M_Bar6");
    M_Stat = entry("M_Stat", t::M_Stat);
    M_Stat->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    M_Bar3 = bar("M_Bar3");
    M_Setei = entry("M_Setei", t::M_Setei);
    M_Bar4 = bar("M_Bar4");
    M_Kanri = entry("M_Kanri", t::M_Kanri);
    M_Bar5 = bar("M_Bar5");
    M_End = entry("M_End", t::M_End);
    // An empty entry keeps a gap before the version entry.
    M_Space = named(menuBar()->addAction(QString()), QStringLiteral("M_Space"));
    M_Space->setEnabled(false);
    M_Ver = named(menuBar()->addAction(textOf(t::M_Ver)), QStringLiteral("M_Ver"));
}

void Frm_Main::connectControls()
{
    for (int i = 0; i < 2; ++i) {
        connect(Opt_Ngh[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Opt_Ngh_Click(i);
        });
        connect(Opt_User[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Opt_User_Click(i);
        });
        connect(Opt_Naiyou[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Opt_Naiyou_Click(i);
        });
        connect(Cmd_Fuku[i], &QPushButton::clicked, this, [this, i] { Cmd_Fuku_Click(i); });
    }
    connect(sortHeading_, &SortHeading::clicked, this, &Frm_Main::Cmb_Sort_Click);
    // New rows come in the database's order: no heading shows a sort then.
    connect(MSFG->gridModel(), &QAbstractItemModel::modelReset, sortHeading_,
            [this] { sortHeading_->showSorted(-1, false); });
    connect(Cmd_Find, &QPushButton::clicked, this, &Frm_Main::Cmd_Find_Click);
    connect(Cmd_Read, &QPushButton::clicked, this, &Frm_Main::Cmd_Read_Click);
    connect(Cmd_Save, &QPushButton::clicked, this, &Frm_Main::Cmd_Save_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &Frm_Main::Cmd_Print_Click);
    connect(Cmd_Setei, &QPushButton::clicked, this, &Frm_Main::Cmd_Setei_Click);
    connect(Cmd_kanri, &QPushButton::clicked, this, &Frm_Main::Cmd_kanri_Click);
    connect(Cmd_End, &QPushButton::clicked, this, &Frm_Main::Cmd_End_Click);
    connect(Cmd_Sousa, &QPushButton::clicked, this, &Frm_Main::Cmd_Sousa_Click);

    // A menu entry runs its button's procedure.
    connect(M_Read, &QAction::triggered, this, &Frm_Main::Cmd_Read_Click);
    connect(M_Save, &QAction::triggered, this, &Frm_Main::Cmd_Save_Click);
    connect(M_Print, &QAction::triggered, this, &Frm_Main::Cmd_Print_Click);
    connect(M_Stat, &QAction::triggered, this, &Frm_Main::M_Stat_Click);
    connect(M_Setei, &QAction::triggered, this, &Frm_Main::Cmd_Setei_Click);
    connect(M_Kanri, &QAction::triggered, this, &Frm_Main::Cmd_kanri_Click);
    connect(M_End, &QAction::triggered, this, &Frm_Main::Cmd_End_Click);
    connect(M_Ver, &QAction::triggered, this, &Frm_Main::M_Ver_Click);

    read_ = new ReadAdapter(ctx_, {Cmd_Read, M_Read, Txt_Yomi, LB_Status}, this);
    connect(read_, &ReadAdapter::gridToClear, this, [this] { MSFG->gridModel()->clearRows(); });
    connect(read_, &ReadAdapter::searchWanted, this, &Frm_Main::Cmd_Find_Click);
    connect(read_, &ReadAdapter::portWindowWanted, this, &Frm_Main::Cmd_Setei_Click);
}

void Frm_Main::Form_Load()
{
    Grid_Set();
    Master_Read();
    Unit_Read();
    Criteria_Set();
    // The grid itself scrolls one line per wheel event (LogGridView).
}

QString Frm_Main::textOf(const BiText& text) const
{
    return text.in(ctx_.sw);
}

void Frm_Main::Grid_Set()
{
    LogGridModel* model = MSFG->gridModel();
    model->setSwitches(ctx_.sw);
    model->clearRows();
    MSFG->applyColumnWidths();
}

void Frm_Main::Master_Read()
{
    Cmb_Naiyou->clear();
    try {
        Cmb_Naiyou->addItems(main_lists::contentEntries(*ctx_.db, ctx_.sw.english()));
    } catch (const DbError& e) {
        showListError(e);
    }
    Cmb_Naiyou->setCurrentIndex(-1);
}

void Frm_Main::Unit_Read()
{
    Cmb_User->clear();
    try {
        Cmb_User->addItems(main_lists::unitEntries(*ctx_.db, ctx_.sw.english()));
    } catch (const DbError& e) {
        showListError(e);
    }
    Cmb_User->setCurrentIndex(-1);
}

// A list that cannot be read stays empty; the operator is told why and can
// go on working.
void Frm_Main::showListError(const DbError& e)
{
    ctx_.dialogs->message(this, t::ListReadError.in(ctx_.sw).arg(e.message()),
                          t::Caption.in(ctx_.sw), MsgButtons::Ok, MsgIcon::Exclamation);
}

void Frm_Main::Criteria_Set()
{
    const QDate today = ctx_.now().date();
    const QStringList years = main_lists::yearList(today);
    for (int i = 0; i < 2; ++i) {
        fillList(Cmb_Nen[i], years, today.toString(QStringLiteral("yyyy")));
        fillList(Cmb_Tuki[i], main_lists::monthList(), today.toString(QStringLiteral("MM")));
        fillList(Cmb_Hi[i], main_lists::dayList(), today.toString(QStringLiteral("dd")));
    }
    // Switching an option on runs its click procedure, which enables or
    // disables the boxes of its group.
    Opt_Ngh[1]->setChecked(true);
    Opt_User[0]->setChecked(true);
    Cmb_User->setCurrentIndex(-1);
    Opt_Naiyou[1]->setChecked(true);
    const QString standard = main_lists::standardSetEntry(ctx_.sw.english());
    const int found = Cmb_Naiyou->findText(standard);
    if (found >= 0)
        Cmb_Naiyou->setCurrentIndex(found);
    else
        Cmb_Naiyou->setEditText(standard);
}

void Frm_Main::Opt_Ngh_Click(int index)
{
    const bool range = index == 1;
    for (int i = 0; i < 2; ++i) {
        Cmb_Nen[i]->setEnabled(range);
        Cmb_Tuki[i]->setEnabled(range);
        Cmb_Hi[i]->setEnabled(range);
    }
}

void Frm_Main::Opt_User_Click(int index)
{
    Cmb_User->setEnabled(index == 1);
    Cmd_Fuku[1]->setEnabled(index == 1);
}

void Frm_Main::Opt_Naiyou_Click(int index)
{
    Cmb_Naiyou->setEnabled(index == 1);
    Cmd_Fuku[0]->setEnabled(index == 1);
}

SearchCriteria Frm_Main::criteria() const
{
    SearchCriteria c;
    c.dateRange = Opt_Ngh[1]->isChecked();
    for (int i = 0; i < 2; ++i) {
        c.year[i] = Cmb_Nen[i]->currentText();
        c.month[i] = Cmb_Tuki[i]->currentText();
        c.day[i] = Cmb_Hi[i]->currentText();
    }
    c.oneUnit = Opt_User[1]->isChecked();
    c.unitText = Cmb_User->currentText();
    c.oneContent = Opt_Naiyou[1]->isChecked();
    c.contentText = Cmb_Naiyou->currentText();
    return c;
}

void Frm_Main::Cmd_Find_Click()
{
    // Asked for while a search runs (the read's own search): the running one
    // stops and the search starts over with the criteria shown then.
    if (search_->running()) {
        search_->restart();
        return;
    }
    // The rows come in batches; they can be sorted once all are in.
    LB_Count->setText(textOf(texts::search_status::Reading).arg(0));
    sortHeading_->setEnabled(false);
    const SearchOutcome outcome = search_->run([this](const std::function<bool(int)>& keepGoing) {
        return runSearch(*ctx_.db, ctx_.sw, criteria(), *MSFG->gridModel(), keepGoing);
    });
    sortHeading_->setEnabled(true);
    namespace s = texts::search_status;
    LB_Count->setText(!outcome.ok() || outcome.cancelled ? QString()
                      : outcome.rows > 0 ? textOf(s::Found).arg(grouped(outcome.rows))
                                         : textOf(s::NoneFound));
    if (search_->takeEndRequest()) {
        Cmd_End_Click();
        return;
    }
    if (!outcome.ok()) {
        ctx_.dialogs->message(this, outcome.message, t::SearchTitle.in(ctx_.sw), MsgButtons::Ok,
                              MsgIcon::Exclamation);
    }
}

void Frm_Main::Cmb_Sort_Click(int index)
{
    const bool descending = !Sort_State[index];
    {
        const BusyCursor busy;
        MSFG->gridModel()->sortColumn(index, descending);
    }
    Sort_State[index] = descending;
    sortHeading_->showSorted(index, descending);
}

void Frm_Main::Cmd_Fuku_Click(int index)
{
    // A set window closed by its close button may have changed the sets.
    if (index == 0) {
        Frm_Sentaku window(ctx_, this);
        if (runModal(window) == QDialog::Accepted)
            Master_Read();
    } else {
        Frm_USentaku window(ctx_, this);
        if (runModal(window) == QDialog::Accepted)
            Unit_Read();
    }
}

void Frm_Main::Cmd_Read_Click()
{
    read_->click();
}

void Frm_Main::Cmd_Save_Click()
{
    saveShownLog(ctx_, this, *MSFG->gridModel());
}

void Frm_Main::Cmd_Print_Click()
{
    printShownLog(ctx_, this, *MSFG->gridModel());
}

void Frm_Main::M_Stat_Click()
{
    if (const auto window = Frm_Stat::forGrid(ctx_, *MSFG->gridModel(), this))
        runModal(*window);
}

void Frm_Main::Cmd_Setei_Click()
{
    Frm_Com window(ctx_, this);
    runModal(window);
}

void Frm_Main::Cmd_kanri_Click()
{
    Frm_Kanri window(ctx_, this);
    if (runModal(window) == QDialog::Accepted)
        Unit_Read();
}

void Frm_Main::M_Ver_Click()
{
    Frm_Ver window(ctx_, this);
    runModal(window);
}

void Frm_Main::Cmd_End_Click()
{
    if (stopSearchForEnd()) // ends once the search has let go of the database
        return;
    // The program's exit path runs once, whichever way the window ends.
    if (ended_)
        return;
    ended_ = true;
    // A read in progress first stops the handset and stores every complete
    // record it received; a storage failure is shown before the exit.
    read_->endForExit();
    if (ctx_.end)
        ctx_.end(this);
}

bool Frm_Main::stopSearchForEnd()
{
    return search_->stopForEnd();
}

void Frm_Main::Cmd_Sousa_Click()
{
    DecodeOutcome outcome;
    {
        const BusyCursor busy;
        // Repaints go on while decoding; clicks wait until it has finished.
        outcome = Log_Decode(*ctx_.db, sampleStream(), ctx_.now, [] {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    }
    if (!outcome.ok()) {
        ctx_.dialogs->message(this, outcome.error, t::SousaTitle.in(ctx_.sw), MsgButtons::Ok,
                              MsgIcon::Exclamation);
    }
}

void Frm_Main::Form_Activate()
{
    const QScreen* s = screen();
    // A maximised or minimised window keeps the place the window system gave it.
    if (!s || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    // The usable desktop: the screen without its panels.
    const QRect area = s->availableGeometry();
    const QRect placed = Form_Center(area.size(), frameGeometry().size());
    // A window taller than the screen keeps its title bar on it, so it can still be moved.
    move(area.topLeft() + QPoint(placed.left(), qMax(0, placed.top())));
}

void Frm_Main::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && placeOnActivation_) {
        placeOnActivation_ = false;
        Form_Activate();
    }
}

int Frm_Main::runModal(QDialog& window)
{
    const int result = window.exec();
    // Activation may already have come back while the window closed.
    if (isActiveWindow()) {
        placeOnActivation_ = false;
        Form_Activate();
    } else {
        placeOnActivation_ = true;
    }
    return result;
}

void Frm_Main::closeEvent(QCloseEvent* event)
{
    // Closing by the frame ends the program as the end command does, so
    // the database is closed and compacted.
    Cmd_End_Click();
    event->accept();
}
