#include "LoginWidget.h"

#include "AccountForm.h"
#include "CommonWidget.h"
#include "MailTask.h"
#include "RegistWidget.h"

#include "ProcessObjects.h"

#include "Paneforge/Util.h"
#include "common/InfoAttribute.h"

#include <QBoxLayout>

using namespace account_form;

namespace {

// The service's log-in states and the password e-mail's.
constexpr int kUnknownAccount = 112;
constexpr int kWrongPassword = 113;
constexpr int kLoggedIn = 114;
constexpr int kResetMailSent = 116;

// What the sign-up view is built with; it selects no frame page.
constexpr int kSignupPageType = 6;
constexpr int kLoggedInSignal = 8;
constexpr int kLoggedOut = 8;

enum { VIEW_LOGIN = 0, VIEW_SIGNUP = 1 };

std::string LoginAttribute(const std::string& result)
{
    return MakeInfoAttribute({{"LogInResult", result}}, InfoMemberForm::Spaced);
}

} // namespace

CLoginWidget::CLoginWidget(int pageType, QWidget* parent)
    : CFixPageBase(pageType, parent, 12, false, false, false, true)
{
    BuildPage();
}

CLoginWidget::~CLoginWidget()
{
    ReleaseMailTask(forgotWorker_);
    if (loginRunning_)
        static_cast<void>(login_.release());
}

void CLoginWidget::BuildPage()
{
    setFixedSize(640, 330);
    setObjectName(QStringLiteral("Quarnel_Login_left"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(new CCommonWidget(this));
    row->addStretch();

    stack_ = new QStackedLayout();
    stack_->addWidget(BuildForm());
    auto* signup = new CRegistWidget(kSignupPageType, this);
    stack_->addWidget(signup);
    row->addLayout(stack_);
    connect(signup, &CRegistWidget::sigLogin, this, &CLoginWidget::slotSwitchRegit);
}

QWidget* CLoginWidget::BuildForm()
{
    auto* form = new QWidget(this);
    form->setFixedSize(370, 330);
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(25, 30, 25, 32);
    column->setSpacing(0);

    title_ = MakeTitle(tr("Log in Quarnel"), form);
    column->addWidget(title_, 0, Qt::AlignLeft);
    column->addSpacing(36);
    email_ = MakeField(tr("Email"), form);
    column->addWidget(email_);
    column->addSpacing(4);
    emailTip_ = MakeTip(0, tr("The user account does not exist."), form);
    column->addWidget(emailTip_);
    column->addSpacing(4);
    password_ = MakeField(tr("Password"), form);
    password_->setEchoMode(QLineEdit::Password);
    column->addWidget(password_);
    column->addSpacing(4);

    auto* passwordRow = new QHBoxLayout();
    passwordRow->setContentsMargins(0, 0, 4, 0);
    passwordRow->setSpacing(0);
    passwordTip_ = MakeTip(0, tr("Incorrect password."), form);
    passwordRow->addWidget(passwordTip_);
    passwordRow->addStretch();
    forgotButton_ = MakeButton(tr("Forgot Password?"), "ChangePwdBtn", form);
    forgotButton_->setFixedHeight(15);
    passwordRow->addWidget(forgotButton_);
    column->addLayout(passwordRow);
    column->addSpacing(8);

    auto* mailRow = new QHBoxLayout();
    mailRow->setContentsMargins(0, 0, 25, 0);
    resetLinkTip_ = MakeTip(1, tr("Please reset your password by clicking the link we just sent you."), form);
    resetLinkTip_->setFixedWidth(320);
    resetLinkTip_->SetTextWidth(304);
    mailRow->addWidget(resetLinkTip_, 0, Qt::AlignLeft);
    sendFailTip_ = MakeTip(0, tr("Failed to send email. Please try again later."), form);
    mailRow->addWidget(sendFailTip_);
    column->addLayout(mailRow);

    column->addStretch();
    registButton_ = MakeButton(tr("Don't have an account?"), "SwitchRegitBtn", form);
    column->addWidget(registButton_, 0, Qt::AlignHCenter);
    column->addSpacing(12);

    login_ = std::make_unique<SLoginAttempt>();
    loginButton_ = new CWaitButtonEx(tr("Log in"), form);
    loginButton_->setFocusPolicy(Qt::NoFocus);
    loginButton_->SetTask(&CLoginWidget::RunLogin, login_.get());
    column->addWidget(loginButton_, 0, Qt::AlignHCenter);

    connect(email_, &QLineEdit::textChanged, this, &CLoginWidget::slotContentChange);
    connect(password_, &QLineEdit::textChanged, this, &CLoginWidget::slotContentChange);
    connect(forgotButton_, &QPushButton::clicked, this, &CLoginWidget::slotForgotPwd);
    connect(registButton_, &QPushButton::clicked, this, &CLoginWidget::slotSwitchRegit);
    connect(loginButton_, &CWaitButtonEx::sigPressed, this, &CLoginWidget::slotLoginClicked);
    connect(this, &CLoginWidget::sigStartLoginThd, loginButton_, &CWaitButtonEx::slotStartThread);
    connect(loginButton_, &CWaitButtonEx::sigReleased, this, &CLoginWidget::slotLoginThreadFinished);
    return form;
}

int CLoginWidget::RunLogin(void* attempt)
{
    auto* login = static_cast<SLoginAttempt*>(attempt);
    login->result = CUserHelper::Login(&login->info);
    return login->result;
}

void CLoginWidget::slotLoginClicked()
{
    Report("LogIn", "Click_Login");
    if (!login_)
        return;
    ResetForm();
    if (!email_ || !IsValidEmail(email_->text())) {
        MarkField(email_, true);
        ShowTip(emailTip_, tr("Please enter correct email address."));
        HideTip(passwordTip_);
        Report("LogIn", "Result_LogIn", LoginAttribute("10"));
        emit sigStartLoginThd(false);
        return;
    }
    if (!password_ || password_->text().isEmpty()) {
        MarkField(password_, true);
        ShowTip(passwordTip_, tr("Incorrect password."));
        emit sigStartLoginThd(false);
        return;
    }
    login_->info.status = S_TASK_STATUS();
    login_->result = 0;
    loginRunning_ = true;
    emit sigStartLoginThd(true);
}

void CLoginWidget::slotContentChange(const QString&)
{
    ResetForm();
    if (!login_)
        return;
    login_->info.strEmail = email_ ? ToLocal8Bit(email_->text()) : std::string();
    login_->info.strPassword = password_ ? ToLocal8Bit(password_->text()) : std::string();
}

void CLoginWidget::slotLoginThreadFinished()
{
    loginRunning_ = false;
    if (loginButton_)
        loginButton_->setEnabled(true);
    if (!login_)
        return;
    HideTips();
    // The service's acceptance counts only when the task could read the user it names.
    const int state = login_->info.status.iState;
    const int code = state == kLoggedIn && login_->result != 0 ? login_->result : state;
    switch (code) {
    case kUnknownAccount:
        MarkField(email_, true);
        ShowTip(emailTip_, tr("The user account does not exist."));
        break;
    case kWrongPassword:
        MarkField(password_, true);
        ShowTip(passwordTip_, tr("Incorrect password."));
        break;
    case kLoggedIn:
        RememberLogin();
        g_loginText = login_->info.strEmail;
        if (parentWidget())
            parentWidget()->close();
        emit sigLogin(kLoggedInSignal);
        break;
    default:
        MarkField(password_, true);
        ShowTip(passwordTip_, tr("Failed to log in."));
        break;
    }
    Report("LogIn", "Result_LogIn", LoginAttribute(code == kLoggedIn ? "Success" : std::to_string(code)));
}

void CLoginWidget::RememberLogin()
{
    const QString file = QStringLiteral("localcfg.ini");
    const QString group = QStringLiteral("cache");
    Util::setDravielsCfgInfo(file, group, QStringLiteral("account"), email_ ? email_->text() : QString());
    Util::setDravielsCfgInfo(file, group, QStringLiteral("isquit"), QString());
    Util::setDravielsCfgInfo(file, group, QStringLiteral("login"), QStringLiteral("1"));
}

void CLoginWidget::slotForgotPwd()
{
    Report("LogIn", "Click_Forgetpassword");
    ResetForm();
    const QString email = email_ ? email_->text() : QString();
    if (!IsValidEmail(email)) {
        MarkField(email_, true);
        ShowTip(emailTip_, tr("Please enter correct email address."));
        return;
    }
    StartCountdown(forgotButton_, countdown_, this, &CLoginWidget::slotTimer);
    StartMailTask(forgotWorker_, CUserHelper::ChangePwd, email, this, [this] { slotThreadFinished(); });
}

void CLoginWidget::slotTimer()
{
    CountdownStep(forgotButton_, countdown_, tr("Forgot Password?"));
}

void CLoginWidget::slotThreadFinished()
{
    int code = 0;
    if (!TakeMailResult(forgotWorker_, code))
        return;
    switch (code) {
    case kResetMailSent:
        ShowTip(resetLinkTip_, tr("Please reset your password by clicking the link we just sent you."));
        break;
    case kUnknownAccount:
        ShowTip(emailTip_, tr("The user account does not exist."));
        MarkField(email_, true);
        break;
    default:
        ShowTip(sendFailTip_, tr("Failed to send email. Please try again later."));
        MarkField(email_, true);
        break;
    }
}

void CLoginWidget::slotClearLogin(int state)
{
    if (state != kLoggedOut)
        return;
    g_loginText.clear();
    HideTips();
    if (email_)
        email_->clear();
    if (password_)
        password_->clear();
}

void CLoginWidget::slotSwitchRegit()
{
    if (!stack_)
        return;
    if (stack_->currentIndex() == VIEW_LOGIN) {
        Report("LogIn", "Click_DontHaveAccount");
        stack_->setCurrentIndex(VIEW_SIGNUP);
    } else {
        Report("SignUp", "Click_AlreadyHaveAccount");
        stack_->setCurrentIndex(VIEW_LOGIN);
    }
}

void CLoginWidget::slotTitleClicked(int)
{
    const bool signup = stack_ && stack_->currentIndex() == VIEW_SIGNUP;
    Report(signup ? "SignUp" : "LogIn", "Click_Close");
}

void CLoginWidget::slotRestoreLoginPage()
{
    if (stack_ && stack_->currentIndex() != VIEW_LOGIN)
        stack_->setCurrentIndex(VIEW_LOGIN);
}

void CLoginWidget::HideTips()
{
    for (CErrorTips* tip : {emailTip_.data(), passwordTip_.data(), sendFailTip_.data(), resetLinkTip_.data()})
        HideTip(tip);
}

void CLoginWidget::ResetForm()
{
    MarkField(email_, false);
    MarkField(password_, false);
    HideTips();
}
