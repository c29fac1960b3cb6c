#include "records_window/frm_kiroku.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/records.h"
#include "db/database.h"
#include "records_window/record_book_model.h"
#include "ui/window_parts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace t = texts::records;
using namespace check_records;
using window_parts::named;

namespace {

// Return or Enter in one of the record's fields records the row.
class ReturnRecords : public QObject {
public:
    explicit ReturnRecords(Frm_Kiroku* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return QObject::eventFilter(watched, event);
        window_->Cmd_Add_Click();
        return true;
    }

private:
    Frm_Kiroku* window_;
};

QLineEdit* textBox(const char* name, TextField field, QWidget* parent)
{
    auto* box = named(new QLineEdit(parent), name);
    window_parts::limitCharacters(box, maxLength(field));
    return box;
}

QComboBox* choiceBox(const char* name, const QStringList& items, QWidget* parent)
{
    auto* box = named(new QComboBox(parent), name);
    box->addItems(items);
    return box;
}

} // namespace

Frm_Kiroku::Frm_Kiroku(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), english_(ctx.sw.english()), settings_(readSettings(ctx.settings)),
      model_(new RecordBookModel(english_, ctx.sw.SN_Head, settings_.limit, this))
{
    setObjectName(QStringLiteral("Frm_Kiroku"));
    setWindowTitle(t::Caption.pick(english_));
    buildControls();
    buildLayout();
    connectControls();
    Cmd_Find_Click();
}

// Closing moves the focus out of the driver's box, whose editingFinished
// would then reach a window already half destroyed.
Frm_Kiroku::~Frm_Kiroku()
{
    disconnect(Txt_Driver, nullptr, this, nullptr);
}

void Frm_Kiroku::buildControls()
{
    const bool en = english_;
    Label1 = window_parts::heading(t::Caption.pick(en), this);
    Label2 = named(new QLabel(t::Label2.pick(en), this), "Label2");
    Label4 = named(new QLabel(t::Label4.pick(en), this), "Label4");
    const QDate today = ctx_.now().date();
    for (int i = 0; i < 2; ++i) {
        Dtp_Kikan[i] = new QDateEdit(today, this);
        Dtp_Kikan[i]->setObjectName(QStringLiteral("Dtp_Kikan(%1)").arg(i));
        Dtp_Kikan[i]->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        Dtp_Kikan[i]->setCalendarPopup(true);
    }
    Label2->setBuddy(Dtp_Kikan[0]);
    Label4->setBuddy(Dtp_Kikan[1]);
    Chk_Hozonzumi = named(new QCheckBox(t::Chk_Hozonzumi.pick(en), this), "Chk_Hozonzumi");
    Cmd_Find = window_parts::button("Cmd_Find", t::Cmd_Find.pick(en), this);
    MSFG = named(new QTableView(this), "MSFG");
    MSFG->setModel(model_);
    MSFG->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFG->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFG->setTabKeyNavigation(false); // Tab leaves the list for the fields
    MSFG->verticalHeader()->hide();
    MSFG->horizontalHeader()->setStretchLastSection(true);
    LB_Count = named(new QLabel(this), "LB_Count");
    LB_Log = named(new QLabel(this), "LB_Log");
    Txt_Driver = textBox("Txt_Driver", TextField::Driver, this);
    Txt_Vehicle = textBox("Txt_Vehicle", TextField::Vehicle, this);
    Cmb_Phase =
        choiceBox("Cmb_Phase",
                  {phaseText(Phase::BeforeDriving, en), phaseText(Phase::AfterDriving, en)}, this);
    Txt_Checker = textBox("Txt_Checker", TextField::Checker, this);
    Cmb_Method = choiceBox("Cmb_Method",
                           {methodText(Method::FaceToFace, en), methodText(Method::Telephone, en),
                            methodText(Method::VideoCall, en), methodText(Method::Other, en)},
                           this);
    Cmb_Detected =
        choiceBox("Cmb_Detected", {detectedText(false, en), detectedText(true, en)}, this);
    Txt_Instructions = textBox("Txt_Instructions", TextField::Instructions, this);
    Txt_Remarks = textBox("Txt_Remarks", TextField::Remarks, this);
    Cmd_Add = window_parts::button("Cmd_Add", t::Cmd_Add.pick(en), this);
    LB_Status = named(new QLabel(this), "LB_Status");
    Cmd_Print = window_parts::button("Cmd_Print", t::Cmd_Print.pick(en), this);
    Cmd_Save = window_parts::button("Cmd_Save", t::Cmd_Save.pick(en), this);
    Cmd_Modoru = window_parts::button("Cmd_Modoru", t::Cmd_Modoru.pick(en), this);
}

void Frm_Kiroku::buildLayout()
{
    auto* filter = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label2, Dtp_Kikan[0], Label4, Dtp_Kikan[1], Chk_Hozonzumi})
        filter->addWidget(w);
    filter->addStretch();
    filter->addWidget(Cmd_Find);

    // The record's fields, each under its label: two rows of four.
    auto* fields = new QGridLayout;
    const QList<std::pair<BiText, QWidget*>> boxes{{t::HeadDriver, Txt_Driver},
                                                   {t::HeadVehicle, Txt_Vehicle},
                                                   {t::HeadPhase, Cmb_Phase},
                                                   {t::HeadChecker, Txt_Checker},
                                                   {t::HeadMethod, Cmb_Method},
                                                   {t::HeadDetected, Cmb_Detected},
                                                   {t::HeadInstructions, Txt_Instructions},
                                                   {t::HeadRemarks, Txt_Remarks}};
    for (int i = 0; i < boxes.size(); ++i) {
        auto* label = new QLabel(boxes[i].first.pick(english_), this);
        label->setBuddy(boxes[i].second);
        fields->addWidget(label, i / 4 * 2, i % 4);
        fields->addWidget(boxes[i].second, i / 4 * 2 + 1, i % 4);
    }
    auto* entry = new QHBoxLayout;
    entry->addWidget(LB_Log, 1);
    entry->addWidget(Cmd_Add);

    auto* commands = new QHBoxLayout;
    commands->addWidget(LB_Status, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{Cmd_Print, Cmd_Save, Cmd_Modoru})
        commands->addWidget(w);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 12, 16, 14);
    root->setSpacing(8);
    root->addWidget(Label1);
    root->addLayout(filter);
    root->addWidget(MSFG, 1);
    root->addWidget(LB_Count);
    root->addLayout(entry);
    root->addLayout(fields);
    root->addLayout(commands);
    resize(980, 640);
}

void Frm_Kiroku::connectControls()
{
    connect(Cmd_Find, &QPushButton::clicked, this, &Frm_Kiroku::Cmd_Find_Click);
    connect(Cmd_Add, &QPushButton::clicked, this, &Frm_Kiroku::Cmd_Add_Click);
    connect(Cmd_Print, &QPushButton::clicked, this, &Frm_Kiroku::Cmd_Print_Click);
    connect(Cmd_Save, &QPushButton::clicked, this, &Frm_Kiroku::Cmd_Save_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_Kiroku::Cmd_Modoru_Click);
    connect(MSFG->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showRow(current.row()); });
    // A driver typed over the proposal brings that driver's last vehicle,
    // unless the vehicle was typed too.
    connect(Txt_Driver, &QLineEdit::editingFinished, this, [this] { proposeVehicle(); });
    auto* returnRecords = new ReturnRecords(this);
    const std::initializer_list<QWidget*> chain{Txt_Driver,       Txt_Vehicle, Cmb_Phase,
                                                Txt_Checker,      Cmb_Method,  Cmb_Detected,
                                                Txt_Instructions, Txt_Remarks, Cmd_Add};
    QWidget* previous = nullptr;
    for (QWidget* w : chain) {
        if (w != Cmd_Add)
            w->installEventFilter(returnRecords);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{Cmd_Print, Cmd_Save, Cmd_Modoru, Dtp_Kikan[0],
                                         Dtp_Kikan[1], Chk_Hozonzumi, Cmd_Find, MSFG, Txt_Driver}) {
        setTabOrder(previous, w);
        previous = w;
    }
}

int Frm_Kiroku::chosenRow() const
{
    const QModelIndex current = MSFG->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void Frm_Kiroku::showRow(int row)
{
    LB_Log->clear();
    vehicleProposedFor_.clear();
    if (row < 0)
        return showEntry({});
    const BookRow& r = model_->rows()[row];
    LB_Log->setText(t::Editing.pick(english_).arg(shownDateTime(r.key.date),
                                                  handsetText(r, ctx_.sw.SN_Head), r.value));
    if (r.record)
        return showEntry(r.record->entry);
    try {
        const Entry proposal = propose(*ctx_.db, r, ctx_.loginId, settings_.limit);
        showEntry(proposal);
        vehicleProposedFor_ = proposal.driver;
    } catch (const DbError& e) {
        showEntry({});
        tell(t::ReadFailed.pick(english_).arg(e.message()), true);
    }
}

bool Frm_Kiroku::proposeVehicle()
{
    const int row = chosenRow();
    const QString driver = Txt_Driver->text().trimmed();
    if (row < 0 || model_->hasRecord(row) || Txt_Vehicle->isModified() ||
        driver == vehicleProposedFor_)
        return false;
    vehicleProposedFor_ = driver;
    try {
        Txt_Vehicle->setText(lastVehicleOf(*ctx_.db, driver));
    } catch (const DbError& e) {
        tell(t::ReadFailed.pick(english_).arg(e.message()), true);
    }
    return true;
}

bool Frm_Kiroku::chooseUnrecorded(int row)
{
    const int rows = model_->rowCount();
    for (int i = 1; i <= rows; ++i) {
        const int candidate = (row + i) % rows;
        if (!model_->hasRecord(candidate)) {
            choose(candidate);
            return true;
        }
    }
    return false;
}

void Frm_Kiroku::choose(int row)
{
    if (row == chosenRow())
        showRow(row); // no change of the current row to show it
    MSFG->setCurrentIndex(model_->index(row, 0));
    MSFG->scrollTo(MSFG->currentIndex());
}

Entry Frm_Kiroku::entryShown() const
{
    return {Txt_Driver->text(),
            Txt_Vehicle->text(),
            Phase(Cmb_Phase->currentIndex()),
            Txt_Checker->text(),
            Method(Cmb_Method->currentIndex()),
            Cmb_Detected->currentIndex() == 1,
            Txt_Instructions->text(),
            Txt_Remarks->text()};
}

void Frm_Kiroku::showEntry(const Entry& e)
{
    Txt_Driver->setText(e.driver);
    Txt_Vehicle->setText(e.vehicle);
    Cmb_Phase->setCurrentIndex(int(e.phase));
    Txt_Checker->setText(e.checker);
    Cmb_Method->setCurrentIndex(int(e.method));
    Cmb_Detected->setCurrentIndex(e.detected ? 1 : 0);
    Txt_Instructions->setText(e.instructions);
    Txt_Remarks->setText(e.remarks);
}

void Frm_Kiroku::focusDriver()
{
    Txt_Driver->setFocus(Qt::TabFocusReason);
    Txt_Driver->selectAll();
}

void Frm_Kiroku::Cmd_Modoru_Click()
{
    close();
}

void Frm_Kiroku::tell(const QString& text, bool warning)
{
    ctx_.dialogs->message(this, text, t::Caption.pick(english_), MsgButtons::Ok,
                          warning ? MsgIcon::Exclamation : MsgIcon::None);
}
