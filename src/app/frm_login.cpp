#include "app/frm_login.h"

#include "admin/frm_id.h"
#include "app/first_start.h"
#include "app/program_exit.h"
#include "app/sign_in_check.h"
#include "base/app_context.h"
#include "base/dialogs.h"
#include "base/texts/app.h"
#include "db/database.h"
#include "db/delivered_db.h"
#include "history/op_history.h"
#include "start/program_db.h"
#include "ui/window_parts.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace t = texts::login;

Frm_Login::Frm_Login(AppContext& ctx, ProgramDb& program, std::function<void()> onSignedIn,
                     QWidget* parent)
    : QWidget(parent), ctx_(ctx), program_(program), onSignedIn_(std::move(onSignedIn))
{
    setObjectName(QStringLiteral("Frm_Login"));
    const Switches& sw = ctx_.sw;
    setWindowTitle(t::Caption.in(sw));

    LB_Dai = new QLabel(t::LB_Dai.in(sw), this);
    LB_Dai->setObjectName(QStringLiteral("LB_Dai"));
    LB_Dai->setAlignment(Qt::AlignCenter);
    QFont titleFont = LB_Dai->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    LB_Dai->setFont(titleFont);

    LB_Login = new QLabel(t::LB_Login.in(sw), this);
    LB_Login->setObjectName(QStringLiteral("LB_Login"));
    LB_Pass = new QLabel(t::LB_Pass.in(sw), this);
    LB_Pass->setObjectName(QStringLiteral("LB_Pass"));

    Txt_Id = new QLineEdit(this);
    Txt_Id->setObjectName(QStringLiteral("Txt_Id"));
    window_parts::limitCharacters(Txt_Id, 10);
    Txt_Pass = new QLineEdit(this);
    Txt_Pass->setObjectName(QStringLiteral("Txt_Pass"));
    window_parts::limitCharacters(Txt_Pass, 10);
    Txt_Pass->setEchoMode(QLineEdit::Password);
    // Each typed character shows as "*", whatever the style's own mask character.
    Txt_Pass->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    LB_Login->setBuddy(Txt_Id);
    LB_Pass->setBuddy(Txt_Pass);

    Cmd_Login = window_parts::button("Cmd_Login", t::Cmd_Login.in(sw), this);
    Cmd_End = window_parts::button("Cmd_End", t::Cmd_End.in(sw), this);

    auto* fields = new QGridLayout;
    fields->addWidget(LB_Login, 0, 0);
    fields->addWidget(Txt_Id, 0, 1);
    fields->addWidget(LB_Pass, 1, 0);
    fields->addWidget(Txt_Pass, 1, 1);
    fields->setColumnStretch(1, 1);

    QHBoxLayout* buttons = window_parts::buttonsAtRight({Cmd_Login, Cmd_End});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(14);
    layout->addWidget(LB_Dai);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setFixedSize(420, 220);

    connect(Cmd_Login, &QPushButton::clicked, this, &Frm_Login::Cmd_Login_Click);
    connect(Cmd_End, &QPushButton::clicked, this, &Frm_Login::Cmd_End_Click);
    connect(Txt_Id, &QLineEdit::returnPressed, this, &Frm_Login::Txt_Id_KeyDown);
    connect(Txt_Pass, &QLineEdit::returnPressed, this, &Frm_Login::Txt_Pass_KeyDown);
}

bool Frm_Login::Form_Load()
{
    if (ctx_.now().date().year() < 2006) {
        ctx_.dialogs->message(this, t::ClockWrong.in(ctx_.sw), t::ClockTitle.in(ctx_.sw),
                              MsgButtons::Ok, MsgIcon::Information);
        return false;
    }
    DbFault fault = DbFault::Other;
    QString error;
    // Installed, the first start makes the database in the data folder.
    FirstStart first;
    if (!program_.deliveredMaster.isEmpty() && program_.setting.usesFile() &&
        program_.setting.problem.isEmpty())
        first = DB_CreateMissing(ctx_.appDir, ctx_.sw, program_.deliveredMaster, ctx_.now());
    if (!first.error.isEmpty()) {
        ctx_.dialogs->message(this, DB_RefusalText(DbFault::Other, first.error, ctx_.sw),
                              texts::startup::DbOpenErrorTitle.ja_(), MsgButtons::Ok,
                              MsgIcon::None);
        return false;
    }
    if (!DB_Connect(ctx_, program_, &error, &fault)) {
        ctx_.dialogs->message(this, DB_RefusalText(fault, error, ctx_.sw),
                              texts::startup::DbOpenErrorTitle.ja_(), MsgButtons::Ok,
                              MsgIcon::None);
        return false;
    }
    if (ctx_.sw.test()) {
        Txt_Id->setText(QStringLiteral("admin"));
        Txt_Pass->setText(QStringLiteral("846"));
    }
    newDatabase_ = first.created;
    return true;
}

// Said once, over the shown window, so that nobody takes a new, empty
// database for lost logs.
void Frm_Login::sayNewDatabase()
{
    if (newDatabase_.isEmpty())
        return;
    const QString path = std::exchange(newDatabase_, QString());
    ctx_.dialogs->message(this, t::NewDatabase.in(ctx_.sw).arg(QDir::toNativeSeparators(path)),
                          t::ClockTitle.in(ctx_.sw), MsgButtons::Ok, MsgIcon::Information);
}

void Frm_Login::Cmd_Login_Click()
{
    const QString id = Txt_Id->text();
    const QString pass = Txt_Pass->text();
    if (id.isEmpty() || pass.isEmpty()) {
        if (!id.isEmpty()) {
            ctx_.dialogs->message(this, t::PassEmpty.in(ctx_.sw), t::ErrorTitle.in(ctx_.sw));
            Txt_Pass->setFocus();
            Txt_Pass->selectAll();
        } else {
            ctx_.dialogs->message(this, t::IdEmpty.in(ctx_.sw), t::ErrorTitle.in(ctx_.sw));
            Txt_Id->setFocus();
        }
        return;
    }
    SignInCheck check;
    try {
        check = checkSignIn(*ctx_.db, id, pass);
    } catch (const DbError& e) {
        ctx_.dialogs->message(this, t::DbError.in(ctx_.sw).arg(e.message()),
                              t::ErrorTitle.in(ctx_.sw), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    // The history names the ID of a refused sign-in only when the ID exists:
    // whatever else was typed may be someone's password.
    using op_history::Op;
    if (!check.matches) {
        op_history::addAs(ctx_, this, check.idKnown ? check.id : QString(), Op::SignInRefused);
        ctx_.dialogs->message(this, t::NoMatch.in(ctx_.sw), t::ErrorTitle.in(ctx_.sw));
        Txt_Pass->setFocus();
        Txt_Pass->selectAll();
        return;
    }
    ctx_.loginId = check.id;
    op_history::add(ctx_, this, Op::SignIn);
    if (check.id == QLatin1String(delivered_db::kAdminId)) {
        tellUpgradeFindings();
        if (pass == QLatin1String(delivered_db::kAdminPassword))
            offerPasswordChange();
    }
    // The main window reads its lists at load; when the database fails it
    // is not shown and this window stays for another try.
    try {
        if (onSignedIn_)
            onSignedIn_();
    } catch (const DbError& e) {
        ctx_.dialogs->message(this, t::DbError.in(ctx_.sw).arg(e.message()),
                              t::ErrorTitle.in(ctx_.sw), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    close();
}

// What the start's upgrade left for a person (rows that share a key and
// keep the file from its unique indexes, a history repaired after tampering,
// archived logs that differ from their current copies) is told to the
// administrator once per start.
void Frm_Login::tellUpgradeFindings()
{
    QStringList shared;
    for (const unique_keys::SharedKey& key : std::as_const(program_.sharedKeys))
        shared << unique_keys::describe(key);
    const struct {
        QString what;
        const BiText& text;
        MsgIcon icon;
    } findings[] = {
        {shared.join(QLatin1Char('\n')), t::SharedKeys, MsgIcon::Information},
        {program_.historyRepaired.join(QLatin1Char('\n')), t::HistoryRepaired,
         MsgIcon::Exclamation},
        {program_.archiveKept, t::ArchiveKept, MsgIcon::Information},
    };
    program_.sharedKeys.clear();
    program_.historyRepaired.clear();
    program_.archiveKept.clear();
    for (const auto& finding : findings) {
        if (!finding.what.isEmpty())
            ctx_.dialogs->message(this, finding.text.in(ctx_.sw).arg(finding.what),
                                  t::ClockTitle.in(ctx_.sw), MsgButtons::Ok, finding.icon);
    }
}

// The delivered password is known to everyone who has the manual: the
// operator is offered the login-ID window on admin before going on.
void Frm_Login::offerPasswordChange()
{
    if (ctx_.dialogs->message(this, t::DeliveredPassword.in(ctx_.sw), t::ClockTitle.in(ctx_.sw),
                              MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return;
    Frm_ID window(ctx_, this);
    window.showKey(QLatin1String(delivered_db::kAdminId));
    // The new password is what is to be typed.
    window.Txt_Pass->setFocus();
    window.exec();
}

void Frm_Login::Cmd_End_Click()
{
    Program_End(ctx_, program_, this);
}

void Frm_Login::showEvent(QShowEvent* event)
{
    if (const QScreen* s = screen())
        move(Form_Center(s->availableGeometry().size(), frameGeometry().size()).topLeft() +
             s->availableGeometry().topLeft());
    QWidget::showEvent(event);
    if (!newDatabase_.isEmpty())
        QTimer::singleShot(0, this, &Frm_Login::sayNewDatabase);
}

void Frm_Login::Txt_Id_KeyDown()
{
    Txt_Pass->setFocus();
    Txt_Pass->selectAll();
}

void Frm_Login::Txt_Pass_KeyDown()
{
    Cmd_Login->setFocus();
}
