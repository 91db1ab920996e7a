#include "CommunityTestServer.h"
#include "MD5Encryption.h"
#include "UserHelper.h"
#include "WebService.h"
#include "main/shell/program/ProgramLog.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <string>

using community_test::CCommunityTestServer;
using community_test::RequestKind;
using community_test::ScriptedReply;

namespace {

class UserHelperTest : public testing::Test {
protected:
    void SetUp() override
    {
        server_.Install(machine_);
        server_.AddAccount("ann@example.com", "s3cret pass", 42);
    }
    void TearDown() override { SetTransferTimeoutMs(60 * 1000); }

    void Reply(RequestKind kind, const std::string& body, int status = 200)
    {
        ScriptedReply reply;
        reply.status = status;
        reply.body = body;
        server_.Script(kind, reply);
    }

    int Register(const std::string& email, S_REGIST_INFO& info)
    {
        info.strEmail = email;
        return CUserHelper::Register(&info);
    }

    int Login(const std::string& email, const std::string& password, S_LOGIN_INFO& info)
    {
        info.strEmail = email;
        info.strPassword = password;
        return CUserHelper::Login(&info);
    }

    int Messages(S_MSG_REQUEST& request, int page, int count, const std::string& version = "1.0.0")
    {
        request.strVersion = version;
        request.iPage = page;
        request.iCount = count;
        return CUserHelper::GetMessageData(&request);
    }

    std::string LastTarget() const
    {
        const auto requests = server_.Requests();
        return requests.empty() ? std::string() : requests.back().target;
    }

    testing_support::TempMachine machine_;
    CCommunityTestServer server_;
};

std::string MessageItem(const std::string& id, const std::string& jsrq = "\"0\"", const std::string& idJson = "")
{
    std::string item = "{\"id\":" + (idJson.empty() ? "\"" + id + "\"" : idJson) + ",\"title\":\"T" + id + "\"";
    if (!jsrq.empty())
        item += ",\"jsrq\":" + jsrq;
    return item + ",\"version\":\"1.0\",\"content\":\"<p>c</p>\",\"state\":\"1\",\"isok\":\"1\",\"length\":7,"
                  "\"add_time\":\"1500000000\"}";
}

TEST_F(UserHelperTest, SignUpAndPasswordMailCarryTheAddressAndReturnTheServicesState)
{
    S_REGIST_INFO fresh;
    EXPECT_EQ(Register("bob.lee+news@example.com", fresh), 0);
    EXPECT_EQ(fresh.status.iState, 107);
    EXPECT_NE(LastTarget().find("/api/email_reg/sign/"), std::string::npos);
    EXPECT_EQ(LastTarget().substr(LastTarget().find("/name/")), "/name/bob.lee+news@example.com");

    S_REGIST_INFO again;
    EXPECT_EQ(Register("bob.lee+news@example.com", again), 0);
    EXPECT_EQ(again.status.iState, 108);

    S_REGIST_INFO known{"ann@example.com", {}};
    EXPECT_EQ(CUserHelper::ChangePwd(&known), 0);
    EXPECT_EQ(known.status.iState, 116);
    S_REGIST_INFO unknown{"nobody@example.com", {}};
    EXPECT_EQ(CUserHelper::ChangePwd(&unknown), 0);
    EXPECT_EQ(unknown.status.iState, 112);
    EXPECT_NE(LastTarget().find("/api/email_wjmm/sign/"), std::string::npos);

    for (const auto& request : server_.Requests()) {
        EXPECT_TRUE(request.signatureValid) << request.target;
        EXPECT_EQ(request.method, "POST");
    }
    EXPECT_NE(ReadProgramLog().find("int CUserHelper::ChangePwd(void*) : url=http://127.0.0.1:"), std::string::npos);
}

TEST_F(UserHelperTest, AnAddressIsEscapedOnlyWhereAPathSegmentForbidsACharacter)
{
    S_REGIST_INFO info;
    EXPECT_EQ(Register("o'neil!x=y a/b?c#d%e@example.com", info), 0);
    EXPECT_EQ(info.status.iState, 107);
    const auto request = server_.Requests().back();
    EXPECT_EQ(request.segments.at("name"), "o'neil!x=y%20a%2Fb%3Fc%23d%25e@example.com");

    S_REGIST_INFO again;
    EXPECT_EQ(Register("o'neil!x=y a/b?c#d%e@example.com", again), 0);
    EXPECT_EQ(again.status.iState, 108);
}

TEST_F(UserHelperTest, LogInSendsThePasswordsDigestOnlyAndKeepsItOutOfTheLog)
{
    S_LOGIN_INFO info;
    info.i64UserId = -5;
    EXPECT_EQ(Login("ann@example.com", "s3cret pass", info), 0);
    EXPECT_EQ(info.status.iState, 114);
    EXPECT_EQ(info.i64UserId, 42);

    const auto request = server_.Requests().back();
    EXPECT_TRUE(request.signatureValid);
    EXPECT_EQ(request.segments.at("name"), "ann@example.com");
    EXPECT_EQ(request.segments.at("pwd"), GetMd5LowerHex("s3cret pass"));
    EXPECT_EQ(request.target.find("s3cret"), std::string::npos);

    const std::string log = ReadProgramLog();
    EXPECT_EQ(log.find(GetMd5LowerHex("s3cret pass")), std::string::npos);
    EXPECT_NE(log.find("int CUserHelper::Login(void*) : url="), std::string::npos);
    EXPECT_NE(log.find("/pwd/***"), std::string::npos);

    S_LOGIN_INFO wrong;
    wrong.i64UserId = -5;
    EXPECT_EQ(Login("ann@example.com", "guess", wrong), 0);
    EXPECT_EQ(wrong.status.iState, 113);
    EXPECT_EQ(wrong.i64UserId, -5);

    S_LOGIN_INFO unknown;
    EXPECT_EQ(Login("nobody@example.com", "guess", unknown), 0);
    EXPECT_EQ(unknown.status.iState, 112);
}

TEST_F(UserHelperTest, LogInWithoutAddressOrPasswordSendsNothing)
{
    S_LOGIN_INFO noEmail;
    EXPECT_EQ(Login("", "pw", noEmail), 11);
    EXPECT_EQ(noEmail.status.iState, 11);
    S_LOGIN_INFO noPassword;
    EXPECT_EQ(Login("ann@example.com", "", noPassword), 12);
    EXPECT_EQ(noPassword.status.iState, 12);
    EXPECT_TRUE(server_.Requests().empty());
    EXPECT_NE(ReadProgramLog().find("int CUserHelper::Login(void*) : return State = 12"), std::string::npos);

    EXPECT_EQ(CUserHelper::Login(nullptr), 10);
    EXPECT_EQ(CUserHelper::Register(nullptr), 10);
    EXPECT_EQ(CUserHelper::ChangePwd(nullptr), 10);
    EXPECT_EQ(CUserHelper::GetMessageData(nullptr), 10);
}

TEST_F(UserHelperTest, LogInRepliesOfEveryShapeGiveTheirCodes)
{
    const struct {
        const char* reply;
        int result;
        int state;
        int64_t userId;
    } cases[] = {
        {"<html>busy</html>", 13, 13, -1},
        {"{\"data\":{}}", 14, 14, -1},
        {"{\"state\":\"114\",\"data\":{}}", 14, 14, -1},
        {"{\"state\":114}", 15, 114, -1},
        {"{\"state\":114,\"data\":{}}", 16, 114, -1},
        {"{\"state\":114,\"data\":\"user\"}", 16, 114, -1},
        {"{\"state\":114,\"data\":{\"user\":{}}}", 17, 114, -1},
        {"{\"state\":114,\"data\":{\"user\":\"id\"}}", 17, 114, -1},
        {"{\"state\":114,\"data\":{\"user\":{\"id\":42}}}", 17, 114, -1},
        {"{\"state\":114,\"data\":{\"user\":{\"id\":null}}}", 17, 114, -1},
        {"{\"STATE\":114,\"Data\":{\"USER\":{\"Id\":\" -7x\"}}}", 0, 114, -7},
        {"{\"state\":114,\"data\":{\"user\":{\"id\":\"99999999999\"}}}", 0, 114, 2147483647},
        {"{\"state\":113,\"data\":{}}", 0, 113, -1},
        {"{\"state\":4294967410,\"data\":{\"user\":{\"id\":\"5\"}}}", 0, 114, 5},
    };
    for (const auto& c : cases) {
        Reply(RequestKind::Login, c.reply);
        S_LOGIN_INFO info;
        info.i64UserId = -1;
        EXPECT_EQ(Login("ann@example.com", "pw", info), c.result) << c.reply;
        EXPECT_EQ(info.status.iState, c.state) << c.reply;
        EXPECT_EQ(info.i64UserId, c.userId) << c.reply;
    }
}

TEST_F(UserHelperTest, SignUpRepliesOfEveryShapeGiveTheirCodesAndAStateOnEntryIsKept)
{
    const struct {
        const char* reply;
        int result;
        int state;
    } cases[] = {
        {"Service Unavailable", 11, 11},
        {"{\"state\":", 11, 11},
        {"{}", 12, 12},
        {"{\"state\":\"107\"}", 12, 12},
        {"{\"state\":[107]}", 12, 12},
        {"{\"State\":107}", 0, 107},
        {"{\"state\":107.9}", 0, 107},
        {"{\"state\":-3}", 0, -3},
        {"{\"state\":1e300}", 0, -1},
    };
    for (const auto& c : cases) {
        Reply(RequestKind::Register, c.reply);
        S_REGIST_INFO info;
        EXPECT_EQ(Register("new@example.com", info), c.result) << c.reply;
        EXPECT_EQ(info.status.iState, c.state) << c.reply;
    }

    Reply(RequestKind::ChangePwd, "not json");
    S_REGIST_INFO kept{"ann@example.com", {}};
    kept.status.iState = 5;
    EXPECT_EQ(CUserHelper::ChangePwd(&kept), 11);
    EXPECT_EQ(kept.status.iState, 5);
}

TEST_F(UserHelperTest, TransportFailuresReachTheRecordAsLibcurlsCode)
{
    Reply(RequestKind::Register, "<html>Internal Server Error</html>", 500);
    S_REGIST_INFO serverError;
    EXPECT_EQ(Register("new@example.com", serverError), HTTP_STATUS_FAILURE);
    EXPECT_EQ(serverError.status.iState, HTTP_STATUS_FAILURE);

    // An error page's JSON is not the service's answer.
    Reply(RequestKind::Register, "{\"state\":107}", 503);
    S_REGIST_INFO unavailable;
    EXPECT_EQ(Register("new@example.com", unavailable), HTTP_STATUS_FAILURE);
    EXPECT_EQ(unavailable.status.iState, HTTP_STATUS_FAILURE);

    ScriptedReply silent;
    silent.noReply = true;
    server_.Script(RequestKind::Login, silent);
    S_LOGIN_INFO empty;
    EXPECT_EQ(Login("ann@example.com", "pw", empty), CURLE_GOT_NOTHING);
    EXPECT_EQ(empty.status.iState, CURLE_GOT_NOTHING);

    SetTransferTimeoutMs(200);
    ScriptedReply slow;
    slow.delayMs = 5000;
    slow.body = "{\"state\":202,\"data\":{\"pg_count\":\"1\"}}";
    server_.Script(RequestKind::Messages, slow);
    S_MSG_REQUEST late;
    EXPECT_EQ(Messages(late, 1, 1), CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(late.status.iState, CURLE_OPERATION_TIMEDOUT);
    EXPECT_TRUE(late.lstMsg.empty());
    EXPECT_NE(ReadProgramLog().find("int CUserHelper::GetMessageData(void*) : return State = 28"), std::string::npos);

    community_test::InstallWebSite("http://127.0.0.1:" + std::to_string(community_test::ClosedPort()) + "/api",
                                   machine_);
    S_REGIST_INFO refused;
    EXPECT_EQ(Register("new@example.com", refused), CURLE_COULDNT_CONNECT);
    EXPECT_EQ(refused.status.iState, CURLE_COULDNT_CONNECT);
}

TEST_F(UserHelperTest, MessagesArriveWithEveryFieldAndPageByPage)
{
    community_test::ServerMessage first;
    first.id = "7";
    first.title = "Grüße";
    first.content = "<p>Hello {friend}</p>";
    first.addTime = "1600000000";
    first.version = "2.1";
    first.length = "321";
    server_.AddMessage(first);
    for (const char* id : {"8", "9"}) {
        community_test::ServerMessage other;
        other.id = id;
        server_.AddMessage(other);
    }

    S_MSG_REQUEST all;
    EXPECT_EQ(Messages(all, 1, 5, "1.0 beta 2"), 0);
    EXPECT_EQ(all.status.iState, 202);
    EXPECT_EQ(all.iPageCount, 1);
    EXPECT_EQ(all.iReadCount, 3);
    ASSERT_EQ(all.lstMsg.size(), 3u);
    const S_MSG_DATA& item = all.lstMsg[0];
    EXPECT_EQ(item.iId, 7);
    EXPECT_EQ(item.iAddTime, 1600000000);
    EXPECT_EQ(item.iJsrq, 0);
    EXPECT_EQ(item.iState, 1);
    EXPECT_EQ(item.iIsOk, 1);
    EXPECT_EQ(item.iLength, 321);
    EXPECT_EQ(item.strTitle, "Grüße");
    EXPECT_EQ(item.strVersion, "2.1");
    EXPECT_EQ(item.strContent, "<p>Hello {friend}</p>");
    EXPECT_EQ(all.lstMsg[2].iId, 9);

    const auto request = server_.Requests().back();
    EXPECT_TRUE(request.signatureValid);
    EXPECT_EQ(request.target.rfind("/Msg/msg_push/sign/", 0), 0u);
    EXPECT_EQ(request.target.substr(request.target.find("/version/")), "/version/1.0%20beta%202/p/1/num/5");

    // As the message centre asks: one item a page until the last page.
    for (int page = 1; page <= 3; ++page) {
        S_MSG_REQUEST one;
        EXPECT_EQ(Messages(one, page, 1), 0);
        EXPECT_EQ(one.iPageCount, 3);
        ASSERT_EQ(one.lstMsg.size(), 1u);
        EXPECT_EQ(one.lstMsg[0].iId, 6 + page);
    }
    S_MSG_REQUEST beyond;
    EXPECT_EQ(Messages(beyond, 4, 1), 0);
    EXPECT_TRUE(beyond.lstMsg.empty());
}

TEST_F(UserHelperTest, MessageRepliesOfEveryShapeGiveTheirCodesAndKeepTheItemsBeforeAFault)
{
    const std::string pages = "\"pg_count\":\"2\"";
    const struct {
        std::string reply;
        int count;
        int result;
        int state;
        size_t items;
    } cases[] = {
        {"{\"state\":202,\"data\":{\"0\":" + MessageItem("1") + ",\"1\":" + MessageItem("2") + "," + pages + "}}", 5, 0,
         202, 2},
        {"{\"state\":202,\"data\":{\"0\":" + MessageItem("1") + ",\"1\":" + MessageItem("2") + "," + pages + "}}", 1, 0,
         202, 1},
        {"{\"state\":202,\"data\":{\"0\":" + MessageItem("1", "") + ",\"1\":" + MessageItem("2") + "," + pages + "}}", 5,
         20, 202, 0},
        {"{\"state\":202,\"data\":{\"0\":" + MessageItem("1") + ",\"1\":" + MessageItem("2", "") + "," + pages + "}}", 5,
         20, 202, 1},
        {"{\"state\":202,\"data\":{\"0\":" + MessageItem("1", "\"0\"", "1") + "," + pages + "}}", 5, 20, 202, 0},
        {"{\"state\":202,\"data\":{\"0\":" + MessageItem("1", "0") + "," + pages + "}}", 5, 20, 202, 0},
        {"{\"state\":202,\"data\":{\"0\":\"not an item\"," + pages + "}}", 5, 20, 202, 0},
        {"{\"state\":202,\"data\":{" + pages + ",\"0\":" + MessageItem("1") + "}}", 5, 0, 202, 0},
        {"{\"state\":202,\"data\":{\"PG_COUNT\":\"2\"}}", 5, 20, 202, 0},
        {"{\"state\":202,\"data\":{\"0\":" + MessageItem("1") + "," + pages + "}}", 0, 0, 202, 0},
        {"{\"state\":\"202\",\"data\":{" + pages + "}}", 5, 13, 13, 0},
        {"{\"state\":201,\"data\":{" + pages + "}}", 5, 13, 13, 0},
        {"{\"state\":4294967498,\"data\":{" + pages + "}}", 5, 13, 13, 0},
        {"{\"data\":{" + pages + "}}", 5, 12, 12, 0},
        {"{\"state\":202}", 5, 14, 14, 0},
        {"{\"state\":202,\"data\":{\"pg_count\":2}}", 5, 14, 14, 0},
        {"{\"state\":202,\"data\":[" + MessageItem("1") + "]}", 5, 14, 14, 0},
        {"[1,2,3]", 5, 12, 12, 0},
        {"no json at all", 5, 11, 11, 0},
    };
    for (const auto& c : cases) {
        Reply(RequestKind::Messages, c.reply);
        S_MSG_REQUEST request;
        EXPECT_EQ(Messages(request, 1, c.count), c.result) << c.reply;
        EXPECT_EQ(request.status.iState, c.state) << c.reply;
        EXPECT_EQ(request.lstMsg.size(), c.items) << c.reply;
        EXPECT_EQ(request.iReadCount, static_cast<int>(c.items)) << c.reply;
    }
}

TEST_F(UserHelperTest, OptionalMessageFieldsOfAnotherTypeReadAsEmptyOrZero)
{
    Reply(RequestKind::Messages,
          "{\"state\":202,\"data\":{\"a\":{\"id\":\" 12abc\",\"title\":\"\",\"jsrq\":\"x\",\"version\":5,"
          "\"content\":\"\",\"state\":\"-1\",\"isok\":\"\",\"length\":\"300\",\"add_time\":\"-5\"},"
          "\"b\":{\"id\":\"1\",\"title\":\"t\",\"jsrq\":\"1\",\"version\":null,\"content\":\"c\",\"state\":\"1\","
          "\"isok\":\"1\",\"length\":4294967297,\"add_time\":\"1\"},\"pg_count\":\"x\"}}");
    S_MSG_REQUEST request;
    EXPECT_EQ(Messages(request, 1, 500), 0);
    EXPECT_EQ(request.iPageCount, 0);
    ASSERT_EQ(request.lstMsg.size(), 2u);
    EXPECT_EQ(request.lstMsg[0].iId, 12);
    EXPECT_EQ(request.lstMsg[0].iJsrq, 0);
    EXPECT_EQ(request.lstMsg[0].iState, -1);
    EXPECT_EQ(request.lstMsg[0].iAddTime, -5);
    EXPECT_EQ(request.lstMsg[0].strVersion, "");
    EXPECT_EQ(request.lstMsg[0].iLength, 0);
    EXPECT_EQ(request.lstMsg[1].strVersion, "");
    EXPECT_EQ(request.lstMsg[1].iLength, 1);
}

TEST_F(UserHelperTest, AHugeMessagePageArrivesWholeOverManyChunks)
{
    std::string content;
    while (content.size() < 100 * 1024)
        content += "<p style=\"x\">{a} }{ </p>";
    for (int id = 1; id <= 40; ++id) {
        community_test::ServerMessage message;
        message.id = std::to_string(id);
        message.content = content;
        server_.AddMessage(message);
    }
    S_MSG_REQUEST request;
    EXPECT_EQ(Messages(request, 1, 500), 0);
    ASSERT_EQ(request.lstMsg.size(), 40u);
    EXPECT_EQ(request.lstMsg[39].iId, 40);
    EXPECT_TRUE(request.lstMsg[39].strContent == content);
}

} // namespace
