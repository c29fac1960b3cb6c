#include "admin/frm_rireki.h"

#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/history.h"
#include "db/database.h"
#include "output/csv_export.h"
#include "output/save_dialog.h"
#include "ui/busy_cursor.h"
#include "ui/window_message.h"
#include "ui/window_parts.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace t = texts::history;

// The rows shown: date and time ("YYYY/MM/DD HH:MM:SS"), ID, PC, the
// operation's name and the details.
class HistoryModel : public QAbstractTableModel {
public:
    HistoryModel(bool english, QObject* parent) : QAbstractTableModel(parent), english_(english) {}

    void setRows(const QList<op_history::Row>& rows)
    {
        beginResetModel();
        rows_.clear();
        for (const op_history::Row& r : rows)
            rows_.append({QString(r.when).replace(QLatin1Char('-'), QLatin1Char('/')), r.id, r.pc,
                          op_history::caption(r.operation, english_), r.details});
        endResetModel();
    }
    const QList<QStringList>& rows() const { return rows_; }
    QStringList heading() const
    {
        QStringList out;
        for (const BiText& h : kHeadings)
            out << h.pick(english_);
        return out;
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(std::size(kHeadings));
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return rows_[index.row()][index.column()];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return kHeadings[section].pick(english_);
    }

private:
    static constexpr BiText kHeadings[] = {t::HeadWhen, t::HeadId, t::HeadPc, t::HeadOperation,
                                           t::HeadDetails};
    bool english_;
    QList<QStringList> rows_;
};

Frm_Rireki::Frm_Rireki(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), model_(new HistoryModel(ctx.sw.english(), this))
{
    setObjectName(QStringLiteral("Frm_Rireki"));
    const Switches& sw = ctx_.sw;
    setWindowTitle(t::Caption.in(sw));
    Label1 = window_parts::heading(t::Caption.in(sw), this);
    Label2 = window_parts::named(new QLabel(t::Label2.in(sw), this), "Label2");
    Label4 = window_parts::named(new QLabel(t::Label4.in(sw), this), "Label4");
    // The last month by default.
    const QDate today = ctx_.now().date();
    for (int i = 0; i < 2; ++i) {
        Dtp_Kikan[i] = new QDateEdit(i == 0 ? today.addMonths(-1) : today, this);
        Dtp_Kikan[i]->setObjectName(QStringLiteral("Dtp_Kikan(%1)").arg(i));
        Dtp_Kikan[i]->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        Dtp_Kikan[i]->setCalendarPopup(true);
    }
    Label2->setBuddy(Dtp_Kikan[0]);
    Label4->setBuddy(Dtp_Kikan[1]);
    Label3 = window_parts::named(new QLabel(t::Label3.in(sw), this), "Label3");
    Cmb_Id = window_parts::named(new QComboBox(this), "Cmb_Id");
    Cmb_Id->setEditable(true);
    Cmb_Id->setInsertPolicy(QComboBox::NoInsert);
    Cmb_Id->lineEdit()->setMaxLength(10);
    Label3->setBuddy(Cmb_Id);
    Cmd_Find = window_parts::button("Cmd_Find", t::Cmd_Find.in(sw), this);
    MSFG = window_parts::named(new QTableView(this), "MSFG");
    MSFG->setModel(model_);
    MSFG->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFG->verticalHeader()->hide();
    MSFG->horizontalHeader()->setStretchLastSection(true);
    LB_Count = window_parts::named(new QLabel(this), "LB_Count");
    Cmd_Save = window_parts::button("Cmd_Save", t::Cmd_Save.in(sw), this);
    Cmd_Modoru = window_parts::button("Cmd_Modoru", t::Cmd_Modoru.in(sw), this);
    buildLayout();

    connect(Cmd_Find, &QPushButton::clicked, this, &Frm_Rireki::Cmd_Find_Click);
    connect(Cmd_Save, &QPushButton::clicked, this, &Frm_Rireki::Cmd_Save_Click);
    connect(Cmd_Modoru, &QPushButton::clicked, this, &Frm_Rireki::Cmd_Modoru_Click);

    // Every ID the history names, and "" for all of them.
    try {
        Cmb_Id->addItem(QString());
        Cmb_Id->addItems(op_history::ids(*ctx_.db));
    } catch (const DbError& e) {
        tell(t::ReadFailed.in(sw).arg(e.message()), true);
    }
    Cmd_Find_Click();
}

Frm_Rireki::~Frm_Rireki() = default;

void Frm_Rireki::buildLayout()
{
    auto* filter = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, Dtp_Kikan[0], Label4, Dtp_Kikan[1]})
        filter->addWidget(w);
    filter->addSpacing(16);
    filter->addWidget(Label3);
    filter->addWidget(Cmb_Id);
    filter->addStretch();
    filter->addWidget(Cmd_Find);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LB_Count);
    buttons->addStretch();
    buttons->addWidget(Cmd_Save);
    buttons->addWidget(Cmd_Modoru);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 12, 16, 14);
    root->setSpacing(10);
    root->addWidget(Label1);
    root->addLayout(filter);
    root->addWidget(MSFG, 1);
    root->addLayout(buttons);
    resize(900, 560);
}

void Frm_Rireki::Cmd_Find_Click()
{
    op_history::Filter filter{Dtp_Kikan[0]->date(), Dtp_Kikan[1]->date(), Cmb_Id->currentText()};
    QList<op_history::Row> rows;
    try {
        const BusyCursor busy;
        rows = op_history::read(*ctx_.db, filter);
    } catch (const DbError& e) {
        tell(t::ReadFailed.in(ctx_.sw).arg(e.message()), true);
    }
    model_->setRows(rows);
    MSFG->resizeColumnsToContents();
    LB_Count->setText(t::Count.in(ctx_.sw).arg(QLocale(QLocale::English).toString(rows.size())));
}

void Frm_Rireki::Cmd_Save_Click()
{
    if (model_->rows().isEmpty()) {
        tell(t::NothingShown.in(ctx_.sw), false);
        return;
    }
    const QString path = Get_CsvFileName(*ctx_.dialogs, this, t::SaveBase.in(ctx_.sw), ctx_.now());
    if (path.isEmpty())
        return;
    CsvWriteResult result;
    {
        const BusyCursor busy;
        result = writeCsvTable(model_->heading(), model_->rows(), path);
    }
    if (!result.ok()) {
        tell(t::SaveFailed.in(ctx_.sw).arg(QDir::toNativeSeparators(path), result.error), true);
        return;
    }
    tell(t::Saved.in(ctx_.sw), false);
}

void Frm_Rireki::Cmd_Modoru_Click()
{
    close();
}

void Frm_Rireki::tell(const QString& text, bool warning)
{
    window_message::tell(*ctx_.dialogs, this, t::Caption.in(ctx_.sw), text, warning);
}
