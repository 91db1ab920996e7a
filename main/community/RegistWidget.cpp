#include "RegistWidget.h"

#include "AccountForm.h"
#include "MailTask.h"
#include "UserHelper.h"
#include "WebService.h"

#include "common/InfoAttribute.h"

#include <QBoxLayout>

using namespace account_form;

namespace {

// The service's state when the confirmation mail went out.
constexpr int kMailSent = 107;

} // namespace

CRegistWidget::CRegistWidget(int pageType, QWidget* parent)
    : CFixPageBase(pageType, parent, 12, false, false, true, true)
{
    BuildPage();
    CurlGlobalInit();
}

CRegistWidget::~CRegistWidget()
{
    ReleaseMailTask(worker_);
}

void CRegistWidget::BuildPage()
{
    setBrush(QBrush(QColor(QStringLiteral("#272d3b")), Qt::SolidPattern));
    setFixedSize(370, 330);
    setObjectName(QStringLiteral("Quarnel_Register_left"));

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* inner = new QWidget(this);
    outer->addWidget(inner);

    auto* column = new QVBoxLayout(inner);
    column->setContentsMargins(25, 30, 25, 32);
    column->setSpacing(0);

    title_ = MakeTitle(tr("Sign up for Quarnel"), inner);
    column->addWidget(title_);
    column->addSpacing(36);
    email_ = MakeField(tr("Email"), inner);
    column->addWidget(email_);
    confirmTip_ = MakeTip(1, tr("Please check your email (in spam or junk mail folder possibly) and click the link to "
                                "complete the registration."),
                          inner);
    column->addWidget(confirmTip_);
    errorTip_ = MakeTip(0, tr("Please enter correct email address."), inner);
    column->addWidget(errorTip_);
    column->addStretch();
    existButton_ = MakeButton(tr("Already have an account?"), "ExistAccountBtn", inner);
    column->addWidget(existButton_, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    signButton_ = MakeButton(tr("Sign up"), nullptr, inner);
    column->addWidget(signButton_, 0, Qt::AlignHCenter);

    connect(email_, &QLineEdit::textChanged, this, &CRegistWidget::slotContentChange);
    connect(signButton_, &QPushButton::clicked, this, &CRegistWidget::slotSigClicked);
    connect(existButton_, &QPushButton::clicked, this, &CRegistWidget::slotIsExistAccountClicked);
}

void CRegistWidget::slotSigClicked()
{
    const bool resend = signButton_ && signButton_->text() == tr("Re-send");
    Report("SignUp", resend ? "Click_Resend" : "Click_Signup");
    HideTips();
    const QString email = email_ ? email_->text() : QString();
    if (!IsValidEmail(email)) {
        MarkField(email_, true);
        ShowTip(errorTip_, tr("Please enter correct email address."));
        HideTip(confirmTip_);
        Report("SignUp", "Result_Signup", SignupAttribute("10"));
        return;
    }
    StartCountdown(signButton_, countdown_, this, &CRegistWidget::slotTimer);
    StartMailTask(worker_, CUserHelper::Register, email, this, [this] { slotThreadFinished(); });
}

void CRegistWidget::slotIsExistAccountClicked()
{
    emit sigLogin(7);
}

void CRegistWidget::slotTimer()
{
    CountdownStep(signButton_, countdown_, tr("Re-send"));
}

void CRegistWidget::slotThreadFinished()
{
    int code = 0;
    if (!confirmTip_ || !TakeMailResult(worker_, code))
        return;
    if (code == kMailSent) {
        confirmTip_->show();
        MarkField(email_, false);
        HideTip(errorTip_);
        Report("SignUp", "Result_Signup", SignupAttribute("success"));
        return;
    }
    confirmTip_->hide();
    MarkField(email_, true);
    ShowTip(errorTip_, tr("Failed to send email. Please try again later."));
    Report("SignUp", "Result_Signup", SignupAttribute(std::to_string(code)));
}

void CRegistWidget::slotContentChange(const QString&)
{
    HideTips();
    MarkField(email_, false);
}

void CRegistWidget::HideTips()
{
    HideTip(confirmTip_);
    HideTip(errorTip_);
}

std::string CRegistWidget::SignupAttribute(const std::string& result) const
{
    const std::string email = email_ ? ToLocal8Bit(email_->text()) : std::string();
    return MakeInfoAttribute({{"SignupResult", result}, {"EmailInfo", email}}, InfoMemberForm::Spaced);
}
