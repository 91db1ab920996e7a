#include "AccountForm.h"
#include "CommunityTestServer.h"
#include "LoginWidget.h"
#include "PageTestSupport.h"
#include "ProcessObjects.h"
#include "RegistWidget.h"
#include "WebService.h"

#include "support/ColourContrast.h"
#include "support/TempMachine.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QImage>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

using community_test::RequestKind;
using community_test::ScriptedReply;
using page_test::Events;
using page_test::HasEvent;
using page_test::MarkedWrong;
using page_test::ShownTips;

const char kEmail[] = "ann@example.com";
const char kPassword[] = "secret";

// The result event's attribute as its receivers read it, a blank after the colon.
std::string LoginResult(const std::string& value)
{
    return "{\"LogInResult\": \"" + value + "\"}";
}

class LoginPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        server_.Install(machine_);
        page_test::UsePreludex();
        SetTransferTimeoutMs(5000);
        server_.AddAccount(kEmail, kPassword, 42);
        page_ = new CLoginWidget(7, &frame_);
        frame_.show();
        QApplication::processEvents();
    }

    void TearDown() override { SetTransferTimeoutMs(60000); }

    // The log-in form's fields (the sign-up view has an e-mail field of its own).
    QLineEdit* Field(const QString& placeholder) const
    {
        for (QLineEdit* field : page_->findChildren<QLineEdit*>()) {
            if (field->placeholderText() == placeholder && !IsInSignup(field))
                return field;
        }
        return nullptr;
    }

    static bool IsInSignup(const QWidget* widget)
    {
        for (; widget; widget = widget->parentWidget()) {
            if (qobject_cast<const CRegistWidget*>(widget))
                return true;
        }
        return false;
    }

    QLineEdit* Email() const { return Field(QStringLiteral("Email")); }
    QLineEdit* Password() const { return Field(QStringLiteral("Password")); }
    CWaitButtonEx* LoginButton() const { return page_->findChild<CWaitButtonEx*>(); }
    QPushButton* ForgotButton() const { return page_->findChild<QPushButton*>(QStringLiteral("ChangePwdBtn")); }
    CRegistWidget* Signup() const { return page_->findChild<CRegistWidget*>(); }
    QStringList Tips() const { return ShownTips(*page_); }

    void LogIn(const QString& email, const QString& password)
    {
        Email()->setText(email);
        Password()->setText(password);
        page_test::Release(LoginButton());
    }

    // Asks for the password e-mail and waits for its answer (through the slot: the link itself is
    // disabled while it counts down).
    void ForgotPassword(const QString& email)
    {
        Email()->setText(email);
        page_->slotForgotPwd();
        ASSERT_TRUE(page_test::WaitUntil([this] { return !Tips().isEmpty(); }));
    }

    size_t RequestsOf(RequestKind kind) const
    {
        size_t count = 0;
        for (const auto& request : server_.Requests())
            count += request.kind == kind ? 1 : 0;
        return count;
    }

    testing_support::TempMachine machine_;
    community_test::CCommunityTestServer server_;
    QWidget frame_;
    CLoginWidget* page_ = nullptr;
};

TEST(AccountForm, EmailCheckTakesOnlyAWholeAddress)
{
    using account_form::IsValidEmail;
    for (const char* good : {"ann@example.com", "ANN@EXAMPLE.COM", "a.b_c%d+e-f@mail.co.info", "x@a.bc.de"})
        EXPECT_TRUE(IsValidEmail(QString::fromLatin1(good))) << good;
    for (const char* bad : {"", "ann", "ann@example", "ann@example.c", " ann@example.com", "ann@example.com ",
                            "ann@ex-ample.com", "ann@example.abcde", "ann@example.c0m", "ann@@example.com",
                            "ann@example.com.x"})
        EXPECT_FALSE(IsValidEmail(QString::fromLatin1(bad))) << bad;
}

// How strongly the field's text (typed or placeholder) stands out on the field's ground.
double InkContrast(QLineEdit& field)
{
    const QImage image = field.grab().toImage();
    const QColor ground = image.pixelColor(field.width() - 4, field.height() / 2);
    double strongest = 1;
    for (int y = 3; y < field.height() - 3; ++y)
        for (int x = 12; x < field.width() / 2; ++x)
            strongest = std::max(strongest, testing_support::Contrast(image.pixelColor(x, y), ground));
    return strongest;
}

// An empty field framed red must not read as if its placeholder were the refused text.
TEST(AccountForm, PlaceholdersReadDimmerThanTypedTextInBothFieldStyles)
{
    QLineEdit* field = account_form::MakeField(QStringLiteral("Email"), nullptr);
    // As the forms go: built, shown (the sheet is applied then), marked wrong and right again, and
    // a program sheet set around them.
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"shown", [&] { field->show(); }},
        {"marked wrong", [&] { account_form::MarkField(field, true); }},
        {"marked right", [&] { account_form::MarkField(field, false); }},
        {"under a program sheet", [] { qApp->setStyleSheet(QStringLiteral("QLineEdit { selection-color: #20242f; }")); }},
    };
    for (const auto& [step, act] : steps) {
        act();
        field->clear();
        const double placeholder = InkContrast(*field);
        field->setText(QStringLiteral("Email"));
        const double typed = InkContrast(*field);
        EXPECT_GE(typed, 7.0) << step;
        EXPECT_GE(placeholder, 3.0) << step << ": the placeholder still reads";
        EXPECT_LT(placeholder, typed * 0.6) << step;
    }
    qApp->setStyleSheet(QString());
    delete field;
}

TEST_F(LoginPageTest, ALogInIsRememberedAndAnnounced)
{
    QSignalSpy loggedIn(page_, &CLoginWidget::sigLogin);
    g_loginText.clear();
    LogIn(QString::fromLatin1(kEmail), QString::fromLatin1(kPassword));

    ASSERT_EQ(1, loggedIn.size());
    EXPECT_EQ(8, loggedIn.at(0).at(0).toInt());
    EXPECT_FALSE(frame_.isVisible());
    EXPECT_TRUE(LoginButton()->isEnabled());
    EXPECT_TRUE(Tips().isEmpty());
    EXPECT_EQ(QString::fromLatin1(kEmail), page_test::LocalCfgValue(QStringLiteral("account")));
    EXPECT_EQ(QString(), page_test::LocalCfgValue(QStringLiteral("isquit")));
    EXPECT_EQ(QStringLiteral("1"), page_test::LocalCfgValue(QStringLiteral("login")));
    EXPECT_EQ(kEmail, g_loginText) << "the account, for the whole program";
    // The fields stay filled for the next opening.
    EXPECT_EQ(QString::fromLatin1(kEmail), Email()->text());

    const auto requests = server_.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_TRUE(requests[0].signatureValid);
    EXPECT_EQ(kEmail, requests[0].segments.at("name"));
    EXPECT_EQ(QCryptographicHash::hash(kPassword, QCryptographicHash::Md5).toHex().toStdString(),
              requests[0].segments.at("pwd"));

    const auto events = Events(2);
    EXPECT_TRUE(HasEvent(events, "LogIn", "Click_Login"));
    EXPECT_TRUE(HasEvent(events, "LogIn", "Result_LogIn", LoginResult("Success")));
}

TEST_F(LoginPageTest, TheServiceRefusalShowsInItsTip)
{
    LogIn(QStringLiteral("bob@example.com"), QStringLiteral("x"));
    EXPECT_EQ(QStringList{QStringLiteral("The user account does not exist.")}, Tips());
    EXPECT_TRUE(MarkedWrong(Email()));
    EXPECT_FALSE(MarkedWrong(Password()));
    EXPECT_TRUE(LoginButton()->isEnabled());

    LogIn(QString::fromLatin1(kEmail), QStringLiteral("wrong"));
    EXPECT_EQ(QStringList{QStringLiteral("Incorrect password.")}, Tips());
    EXPECT_TRUE(MarkedWrong(Password()));
    EXPECT_FALSE(MarkedWrong(Email()));

    // The record is reused: a later good attempt starts from a clean status.
    QSignalSpy loggedIn(page_, &CLoginWidget::sigLogin);
    g_loginText.clear();
    LogIn(QString::fromLatin1(kEmail), QString::fromLatin1(kPassword));
    EXPECT_EQ(1, loggedIn.size());
    EXPECT_EQ(QStringLiteral("1"), page_test::LocalCfgValue(QStringLiteral("login")));

    const auto events = Events(6);
    EXPECT_TRUE(HasEvent(events, "LogIn", "Result_LogIn", LoginResult("112")));
    EXPECT_TRUE(HasEvent(events, "LogIn", "Result_LogIn", LoginResult("113")));
    EXPECT_TRUE(HasEvent(events, "LogIn", "Result_LogIn", LoginResult("Success")));
}

TEST_F(LoginPageTest, FailuresReadFailedToLogInWithTheirCode)
{
    struct Case {
        ScriptedReply reply;
        std::string code;
    };
    const auto body = [](const char* text) {
        ScriptedReply reply;
        reply.body = text;
        return reply;
    };
    ScriptedReply slow;
    slow.delayMs = 3000;
    ScriptedReply serverError;
    serverError.status = 500;
    ScriptedReply closed;
    closed.noReply = true;
    const Case cases[] = {
        {slow, "28"},
        {serverError, "22"},
        {body("<html>Service unavailable</html>"), "13"},
        {body("{\"state\": 114, \"data\": {\"user\": "), "13"},
        {body("{\"state\": \"114\", \"data\": []}"), "14"},
        {closed, "52"},
        // The service says it accepts the log-in but names no user: no log-in either.
        {body("{\"state\": 114}"), "15"},
        {body("{\"state\": 114, \"data\": {}}"), "16"},
        {body("{\"state\": 114, \"data\": {\"user\": {}}}"), "17"},
    };

    QSignalSpy loggedIn(page_, &CLoginWidget::sigLogin);
    SetTransferTimeoutMs(500);
    size_t expectedEvents = 0;
    for (const Case& c : cases) {
        server_.Script(RequestKind::Login, c.reply);
        LogIn(QString::fromLatin1(kEmail), QString::fromLatin1(kPassword));
        expectedEvents += 2;
        EXPECT_EQ(QStringList{QStringLiteral("Failed to log in.")}, Tips()) << c.code;
        EXPECT_TRUE(MarkedWrong(Password()));
        EXPECT_TRUE(LoginButton()->isEnabled());
        const auto results = page_test::EventsOf(Events(expectedEvents), "LogIn", "Result_LogIn");
        EXPECT_EQ(expectedEvents / 2, results.size());
        EXPECT_TRUE(HasEvent(results, "LogIn", "Result_LogIn", LoginResult(c.code))) << c.code;
    }
    EXPECT_EQ(QStringLiteral("<none>"), page_test::LocalCfgValue(QStringLiteral("login")));
    EXPECT_EQ(0, loggedIn.size());
    EXPECT_TRUE(frame_.isVisible());

    // Nobody listening at all.
    community_test::InstallWebSite("http://127.0.0.1:" + std::to_string(community_test::ClosedPort()) + "/api",
                                   machine_);
    page_test::UsePreludex();
    LogIn(QString::fromLatin1(kEmail), QString::fromLatin1(kPassword));
    EXPECT_EQ(QStringList{QStringLiteral("Failed to log in.")}, Tips());
    EXPECT_TRUE(HasEvent(Events(expectedEvents + 2), "LogIn", "Result_LogIn", LoginResult("7")));
}

TEST_F(LoginPageTest, AWrongAddressOrNoPasswordSendsNothing)
{
    LogIn(QStringLiteral("ann@example.c"), QString::fromLatin1(kPassword));
    EXPECT_EQ(QStringList{QStringLiteral("Please enter correct email address.")}, Tips());
    EXPECT_TRUE(MarkedWrong(Email()));
    EXPECT_TRUE(LoginButton()->isEnabled());
    EXPECT_TRUE(HasEvent(Events(2), "LogIn", "Result_LogIn", "{\"LogInResult\": \"10\"}"));

    LogIn(QString::fromLatin1(kEmail), QString());
    EXPECT_EQ(QStringList{QStringLiteral("Incorrect password.")}, Tips());
    EXPECT_TRUE(MarkedWrong(Password()));
    EXPECT_FALSE(MarkedWrong(Email()));
    EXPECT_TRUE(LoginButton()->isEnabled());

    // Editing resets the marks.
    Password()->setText(QStringLiteral("p"));
    EXPECT_TRUE(Tips().isEmpty());
    EXPECT_FALSE(MarkedWrong(Password()));

    // The second click's event comes after whatever the first attempt recorded.
    const auto events = Events(3);
    EXPECT_TRUE(server_.Requests().empty());
    EXPECT_EQ(1u, page_test::EventsOf(events, "LogIn", "Result_LogIn").size());
    EXPECT_EQ(2u, page_test::EventsOf(events, "LogIn", "Click_Login").size());
}

TEST_F(LoginPageTest, ThePasswordMailAnswersInItsTip)
{
    ForgotPassword(QString::fromLatin1(kEmail));
    EXPECT_EQ(QStringList{QStringLiteral("Please reset your password by clicking the link we just sent you.")}, Tips());
    EXPECT_FALSE(MarkedWrong(Email()));
    ASSERT_EQ(1u, RequestsOf(RequestKind::ChangePwd));
    EXPECT_EQ(kEmail, server_.Requests()[0].segments.at("name"));
    EXPECT_TRUE(HasEvent(Events(1), "LogIn", "Click_Forgetpassword"));

    ForgotPassword(QStringLiteral("bob@example.com"));
    EXPECT_EQ(QStringList{QStringLiteral("The user account does not exist.")}, Tips());
    EXPECT_TRUE(MarkedWrong(Email()));

    ScriptedReply broken;
    broken.status = 503;
    broken.body = "Service Unavailable";
    server_.Script(RequestKind::ChangePwd, broken);
    ForgotPassword(QString::fromLatin1(kEmail));
    EXPECT_EQ(QStringList{QStringLiteral("Failed to send email. Please try again later.")}, Tips());
    EXPECT_TRUE(MarkedWrong(Email()));
}

TEST_F(LoginPageTest, ThePasswordLinkWaitsSixtySecondsWhateverTheOutcome)
{
    community_test::InstallWebSite("http://127.0.0.1:" + std::to_string(community_test::ClosedPort()) + "/api",
                                   machine_);
    QPushButton* forgot = ForgotButton();
    ForgotPassword(QString::fromLatin1(kEmail));
    EXPECT_EQ(QStringList{QStringLiteral("Failed to send email. Please try again later.")}, Tips());
    EXPECT_EQ(QStringLiteral("60"), forgot->text());
    EXPECT_FALSE(forgot->isEnabled());
    auto* timer = page_->findChild<QTimer*>();
    ASSERT_NE(nullptr, timer);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(1000, timer->interval());

    for (int second = 59; second >= 1; --second) {
        page_->slotTimer();
        EXPECT_EQ(QString::number(second), forgot->text());
        EXPECT_FALSE(forgot->isEnabled());
    }
    page_->slotTimer();
    EXPECT_EQ(QStringLiteral("Forgot Password?"), forgot->text());
    EXPECT_TRUE(forgot->isEnabled());
    EXPECT_FALSE(timer->isActive());

    // A wrong address starts no countdown.
    Email()->setText(QStringLiteral("nobody"));
    forgot->click();
    EXPECT_EQ(QStringList{QStringLiteral("Please enter correct email address.")}, Tips());
    EXPECT_TRUE(forgot->isEnabled());
    EXPECT_FALSE(timer->isActive());
}

TEST_F(LoginPageTest, ARunningPasswordRequestIsNotRepeated)
{
    ScriptedReply slow;
    slow.delayMs = 800;
    slow.body = "{\"state\":116}";
    server_.Script(RequestKind::ChangePwd, slow);
    Email()->setText(QString::fromLatin1(kEmail));
    ForgotButton()->click();
    page_test::WaitUntil([this] { return RequestsOf(RequestKind::ChangePwd) == 1; });
    page_->slotTimer();
    EXPECT_EQ(QStringLiteral("59"), ForgotButton()->text());
    page_->slotForgotPwd();
    EXPECT_EQ(QStringLiteral("60"), ForgotButton()->text());
    ASSERT_TRUE(page_test::WaitUntil([this] { return !Tips().isEmpty(); }));
    EXPECT_EQ(QStringList{QStringLiteral("Please reset your password by clicking the link we just sent you.")}, Tips());
    page_test::WaitUntil([] { return false; }, 300);
    EXPECT_EQ(1u, RequestsOf(RequestKind::ChangePwd));
}

TEST_F(LoginPageTest, ViewsSwitchAndReportWhereTheUserIs)
{
    auto* toSignup = page_->findChild<QPushButton*>(QStringLiteral("SwitchRegitBtn"));
    toSignup->click();
    EXPECT_TRUE(page_test::Shows(Signup()));
    EXPECT_FALSE(page_test::Shows(Email()));
    page_->slotTitleClicked(3);

    auto* back = Signup()->findChild<QPushButton*>(QStringLiteral("ExistAccountBtn"));
    ASSERT_NE(nullptr, back);
    back->click();
    EXPECT_TRUE(page_test::Shows(Email()));
    page_->slotTitleClicked(3);

    toSignup->click();
    page_->slotRestoreLoginPage();
    EXPECT_TRUE(page_test::Shows(Email()));
    page_->slotRestoreLoginPage();
    EXPECT_TRUE(page_test::Shows(Email()));

    const auto events = Events(5);
    EXPECT_EQ(5u, events.size());
    EXPECT_EQ(2u, page_test::EventsOf(events, "LogIn", "Click_DontHaveAccount").size());
    EXPECT_TRUE(HasEvent(events, "SignUp", "Click_AlreadyHaveAccount"));
    EXPECT_TRUE(HasEvent(events, "SignUp", "Click_Close"));
    EXPECT_TRUE(HasEvent(events, "LogIn", "Click_Close"));
}

TEST_F(LoginPageTest, LoggingOutEmptiesTheForm)
{
    LogIn(QString::fromLatin1(kEmail), QStringLiteral("wrong"));
    ASSERT_FALSE(Tips().isEmpty());
    g_loginText = kEmail;
    page_->slotClearLogin(7);
    EXPECT_EQ(QString::fromLatin1(kEmail), Email()->text());
    EXPECT_FALSE(Tips().isEmpty());
    EXPECT_EQ(kEmail, g_loginText);

    page_->slotClearLogin(8);
    EXPECT_TRUE(g_loginText.empty());
    EXPECT_TRUE(Email()->text().isEmpty());
    EXPECT_TRUE(Password()->text().isEmpty());
    EXPECT_TRUE(Tips().isEmpty());
}

} // namespace
