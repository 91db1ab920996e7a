#include "CommunityTestServer.h"
#include "PageTestSupport.h"
#include "RegistWidget.h"
#include "WebService.h"

#include "support/TempMachine.h"

#include <QApplication>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

using community_test::RequestKind;
using page_test::Events;
using page_test::HasEvent;
using page_test::MarkedWrong;
using page_test::ShownTips;

const QString kConfirmation = QStringLiteral(
    "Please check your email (in spam or junk mail folder possibly) and click the link to complete the registration.");
const QString kSendFailed = QStringLiteral("Failed to send email. Please try again later.");

// The result event's attribute as its receivers read it: a blank after each colon, none after the comma.
std::string SignupResult(const std::string& result, const std::string& email)
{
    return "{\"SignupResult\": \"" + result + "\",\"EmailInfo\": \"" + email + "\"}";
}

class SignupPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        server_.Install(machine_);
        page_test::UsePreludex();
        SetTransferTimeoutMs(5000);
        server_.AddAccount("old@example.com", "pw", 1);
        page_.show();
        QApplication::processEvents();
    }

    void TearDown() override { SetTransferTimeoutMs(60000); }

    QLineEdit* Email() const { return page_.findChild<QLineEdit*>(); }
    QPushButton* SignButton() const
    {
        for (QPushButton* button : page_.findChildren<QPushButton*>()) {
            if (button->objectName() != QStringLiteral("ExistAccountBtn"))
                return button;
        }
        return nullptr;
    }
    QStringList Tips() const { return ShownTips(page_); }

    // Signs up and waits for the answer.
    void SignUp(const QString& email)
    {
        Email()->setText(email);
        SignButton()->click();
        ASSERT_TRUE(page_test::WaitUntil([this] { return !Tips().isEmpty(); }));
    }

    testing_support::TempMachine machine_;
    community_test::CCommunityTestServer server_;
    CRegistWidget page_{6, nullptr};
};

TEST_F(SignupPageTest, ANewAddressGetsItsConfirmationMail)
{
    SignUp(QStringLiteral("new@example.com"));
    EXPECT_EQ(QStringList{kConfirmation}, Tips());
    EXPECT_FALSE(MarkedWrong(Email()));
    EXPECT_EQ(QStringLiteral("60"), SignButton()->text());
    EXPECT_FALSE(SignButton()->isEnabled());

    const auto requests = server_.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(RequestKind::Register, requests[0].kind);
    EXPECT_TRUE(requests[0].signatureValid);
    EXPECT_EQ("new@example.com", requests[0].segments.at("name"));

    const auto events = Events(2);
    EXPECT_TRUE(HasEvent(events, "SignUp", "Click_Signup"));
    EXPECT_TRUE(HasEvent(events, "SignUp", "Result_Signup",
                         "{\"SignupResult\": \"success\",\"EmailInfo\": \"new@example.com\"}"));
}

TEST_F(SignupPageTest, RefusalsAndFailuresReadFailedToSend)
{
    SignUp(QStringLiteral("old@example.com"));
    EXPECT_EQ(QStringList{kSendFailed}, Tips());
    EXPECT_TRUE(MarkedWrong(Email()));
    EXPECT_TRUE(HasEvent(Events(2), "SignUp", "Result_Signup", SignupResult("108", "old@example.com")));

    community_test::ScriptedReply garbage;
    garbage.body = "not json at all";
    server_.Script(RequestKind::Register, garbage);
    page_.slotTimer();
    page_.slotSigClicked();
    ASSERT_TRUE(page_test::WaitUntil([this] { return Events().size() >= 4; }));
    EXPECT_TRUE(HasEvent(Events(4), "SignUp", "Result_Signup", SignupResult("11", "old@example.com")));

    community_test::InstallWebSite("http://127.0.0.1:" + std::to_string(community_test::ClosedPort()) + "/api",
                                   machine_);
    page_test::UsePreludex();
    page_.slotSigClicked();
    ASSERT_TRUE(page_test::WaitUntil([this] { return Events().size() >= 6; }));
    EXPECT_TRUE(HasEvent(Events(6), "SignUp", "Result_Signup", SignupResult("7", "old@example.com")));
    EXPECT_EQ(QStringList{kSendFailed}, Tips());
}

TEST_F(SignupPageTest, AWrongAddressSendsNothingAndStartsNoCountdown)
{
    const QString typed = QStringLiteral("say \"hi\" \\ me");
    Email()->setText(typed);
    SignButton()->click();
    EXPECT_EQ(QStringList{QStringLiteral("Please enter correct email address.")}, Tips());
    EXPECT_TRUE(MarkedWrong(Email()));
    EXPECT_EQ(QStringLiteral("Sign up"), SignButton()->text());
    EXPECT_TRUE(SignButton()->isEnabled());

    const auto results = page_test::EventsOf(Events(2), "SignUp", "Result_Signup");
    ASSERT_EQ(1u, results.size());
    // The typed text reaches the attribute escaped, so the text stays valid JSON.
    EXPECT_EQ(QStringLiteral("{\"SignupResult\": \"10\",\"EmailInfo\": \"say \\\"hi\\\" \\\\ me\"}"),
              results[0].value("Attribute").toString());
    const QJsonObject attribute =
        QJsonDocument::fromJson(results[0].value("Attribute").toString().toUtf8()).object();
    EXPECT_EQ(QStringLiteral("10"), attribute.value("SignupResult").toString());
    EXPECT_EQ(typed, attribute.value("EmailInfo").toString());
    EXPECT_TRUE(server_.Requests().empty());

    // Editing hides the tip and clears the mark.
    Email()->setText(QStringLiteral("new@example.com"));
    EXPECT_TRUE(Tips().isEmpty());
    EXPECT_FALSE(MarkedWrong(Email()));
}

TEST_F(SignupPageTest, TheButtonCountsDownToReSend)
{
    SignUp(QStringLiteral("new@example.com"));
    for (int second = 59; second >= 1; --second) {
        page_.slotTimer();
        EXPECT_EQ(QString::number(second), SignButton()->text());
        EXPECT_FALSE(SignButton()->isEnabled());
    }
    page_.slotTimer();
    EXPECT_EQ(QStringLiteral("Re-send"), SignButton()->text());
    EXPECT_TRUE(SignButton()->isEnabled());
    auto* timer = page_.findChild<QTimer*>();
    ASSERT_NE(nullptr, timer);
    EXPECT_FALSE(timer->isActive());

    Email()->setText(QStringLiteral("other@example.com"));
    SignButton()->click();
    EXPECT_EQ(QStringLiteral("60"), SignButton()->text());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(1000, timer->interval());
    ASSERT_TRUE(page_test::WaitUntil([this] { return !Tips().isEmpty(); }));
    EXPECT_TRUE(HasEvent(Events(4), "SignUp", "Click_Resend"));
    EXPECT_EQ(1u, page_test::EventsOf(Events(), "SignUp", "Click_Signup").size());
}

} // namespace
