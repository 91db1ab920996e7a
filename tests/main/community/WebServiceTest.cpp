#include "CommunityTestServer.h"
#include "MD5Encryption.h"
#include "SelfSignedServer.h"
#include "WebService.h"
#include "main/shell/program/ProgramLog.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <ctime>
#include <regex>
#include <string>

using community_test::CCommunityTestServer;
using community_test::RequestKind;
using community_test::ScriptedReply;

namespace {

class WebServiceTest : public testing::Test {
protected:
    void SetUp() override { server_.Install(machine_); }
    void TearDown() override { SetTransferTimeoutMs(60 * 1000); }

    // Posts a sign-up request with the reply the service is told to give.
    int PostScripted(const ScriptedReply& reply, std::string& received)
    {
        server_.Script(RequestKind::Register, reply);
        return PostMsg(MakeRequestUrl(REQUEST_REGISTER) + "/name/ann@example.com", &received);
    }

    testing_support::TempMachine machine_;
    CCommunityTestServer server_;
};

ScriptedReply Body(const std::string& body, int status = 200)
{
    ScriptedReply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

TEST(Md5Test, DigestsAreUpperCaseHexWithoutTerminatorAndBadArgumentsWriteNothing)
{
    char out[260] = {};
    GetMd5String("abc", 3, out, sizeof out);
    EXPECT_EQ(std::string(out), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(GetMd5LowerHex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(GetMd5LowerHex(""), "");

    char untouched[40];
    std::fill(std::begin(untouched), std::end(untouched), 'x');
    GetMd5String("abc", 0, untouched, sizeof untouched);
    GetMd5String(nullptr, 3, untouched, sizeof untouched);
    GetMd5String("abc", 3, untouched, 31);
    GetMd5String("abc", -1, untouched, sizeof untouched);
    EXPECT_EQ(std::string(untouched, sizeof untouched), std::string(40, 'x'));
    GetMd5String("abc", 3, nullptr, 32);

    char exact[33] = {};
    std::fill(exact, exact + 33, 'y');
    GetMd5String("", 0, exact, 32);
    GetMd5String("The quick brown fox jumps over the lazy dog", 43, exact, 32);
    EXPECT_EQ(std::string(exact, 33), "9E107D9D372BB6826BD81D3542A419D6y");

    auto& md5 = Md5CheckProc::CMD5Encryption::Instance();
    EXPECT_EQ(&md5, &Md5CheckProc::CMD5Encryption::Instance());
    md5.Update(nullptr, reinterpret_cast<const unsigned char*>("abc"), 3);
}

TEST_F(WebServiceTest, BaseAddressComesFromTheProgramFoldersUpdateSettingsAndAnEmptyOneIsReadAgain)
{
    EXPECT_EQ(GetWebSite(), server_.WebSite());

    community_test::InstallWebSite("", machine_);
    EXPECT_EQ(GetWebSite(), "");
    EXPECT_EQ(MakeRequestUrl(REQUEST_LOGIN).rfind("/quarnel_login/sign/", 0), 0u);
    std::string reply;
    EXPECT_NE(PostMsg(MakeRequestUrl(REQUEST_LOGIN), &reply), 0);

    // Still empty, so the next request reads the settings again and finds the address.
    machine_.UseProgramFolder();
    const std::string settings = platform::ToUtf8(platform::Machine().programFolder + L"\\kyphtupdate.ini");
    WritePrivateProfileStringA("update", "website", "http://127.0.0.1:1/x", settings.c_str());
    EXPECT_EQ(GetWebSite(), "http://127.0.0.1:1/x");
    WritePrivateProfileStringA("update", "website", "http://127.0.0.1:2/y", settings.c_str());
    EXPECT_EQ(GetWebSite(), "http://127.0.0.1:1/x");
}

TEST_F(WebServiceTest, UrlsAreSignedWithTheTimeAndTheSaltAndTheMessageRequestDropsFourCharacters)
{
    const std::string base = server_.WebSite();
    const std::string host = base.substr(0, base.size() - 4);
    const struct {
        ERequestType kind;
        std::string start;
    } cases[] = {
        {REQUEST_REGISTER, base + "/email_reg"},
        {REQUEST_LOGIN, base + "/quarnel_login"},
        {REQUEST_CHANGE_PWD, base + "/email_wjmm"},
        {REQUEST_MESSAGES, host + "/Msg/msg_push"},
        {static_cast<ERequestType>(9), base},
    };
    for (const auto& c : cases) {
        const long long before = std::time(nullptr);
        const std::string url = MakeRequestUrl(c.kind);
        const long long after = std::time(nullptr);
        std::smatch match;
        ASSERT_TRUE(std::regex_match(url, match, std::regex("(.*)/sign/([0-9a-f]{32})/time/([1-9][0-9]*)"))) << url;
        EXPECT_EQ(match[1].str(), c.start);
        EXPECT_EQ(match[2].str(), community_test::ExpectedSignature(match[3].str()));
        EXPECT_GE(std::stoll(match[3].str()), before);
        EXPECT_LE(std::stoll(match[3].str()), after);
    }

    community_test::InstallWebSite("http://svc.example/service", machine_);
    EXPECT_EQ(MakeRequestUrl(REQUEST_MESSAGES).rfind("http://svc.example/ser/Msg/msg_push/sign/", 0), 0u);
    community_test::InstallWebSite("abc", machine_);
    EXPECT_EQ(MakeRequestUrl(REQUEST_MESSAGES).rfind("abc/Msg/msg_push/sign/", 0), 0u);
    community_test::InstallWebSite("abcd", machine_);
    EXPECT_EQ(MakeRequestUrl(REQUEST_MESSAGES).rfind("/Msg/msg_push/sign/", 0), 0u);
}

TEST_F(WebServiceTest, RequestIsAPostWithAnEmptyBodyThatTheServiceAccepts)
{
    std::string reply;
    ASSERT_EQ(PostMsg(MakeRequestUrl(REQUEST_REGISTER) + "/name/ann@example.com", &reply), 0);
    EXPECT_EQ(reply, "{\"state\":107}");

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_TRUE(request.signatureValid);
    EXPECT_EQ(request.body, "");
    EXPECT_EQ(request.headers.at("content-length"), "0");
    EXPECT_EQ(request.headers.count("expect"), 0u);
    EXPECT_EQ(request.headers.count("transfer-encoding"), 0u);
}

TEST_F(WebServiceTest, ReplyIsKeptFromItsFirstBraceOnAndWholeAcrossManyChunks)
{
    std::string reply;
    ASSERT_EQ(PostScripted(Body("\xEF\xBB\xBF \r\n\t{\"state\":107}"), reply), 0);
    EXPECT_EQ(reply, "{\"state\":107}");

    // Text that holds no brace at all is kept whole.
    reply.clear();
    ASSERT_EQ(PostScripted(Body("<html>Service busy</html>"), reply), 0);
    EXPECT_EQ(reply, "<html>Service busy</html>");

    // Braces and text in every later chunk stay where they are.
    std::string content;
    while (content.size() < 3 * 1024 * 1024)
        content += "text {x} more }{ ";
    const std::string big = "{\"state\":107,\"content\":\"" + content + "\"}";
    ScriptedReply pieces = Body("  " + big);
    pieces.pieceBytes = 1000;
    reply.clear();
    ASSERT_EQ(PostScripted(pieces, reply), 0);
    EXPECT_TRUE(reply == big) << "reply of " << reply.size() << " bytes differs";

    ScriptedReply chunked = Body("ab{\"state\":{\"x\":\"}{\"},\"y\":1}");
    chunked.chunked = true;
    chunked.pieceBytes = 1;
    chunked.pieceDelayMs = 2;
    reply.clear();
    ASSERT_EQ(PostScripted(chunked, reply), 0);
    EXPECT_EQ(reply, "{\"state\":{\"x\":\"}{\"},\"y\":1}");
}

TEST(ReplyCollectionTest, ChunksBeforeTheFirstBraceAreDroppedAndLaterOnesKeptWhole)
{
    std::string reply;
    EXPECT_EQ(OnRecvData("ab", 1, 2, &reply), 2u);
    EXPECT_EQ(reply, "ab");
    EXPECT_EQ(OnRecvData("c{d", 1, 3, &reply), 3u);
    EXPECT_EQ(reply, "{d");
    EXPECT_EQ(OnRecvData("e{f", 1, 3, &reply), 3u);
    EXPECT_EQ(reply, "{de{f");

    std::string single;
    EXPECT_EQ(OnRecvData("{", 1, 1, &single), 1u);
    EXPECT_EQ(single, "{");
    EXPECT_EQ(OnRecvData("x", 1, 1, nullptr), 0u);

    std::string full(MAX_REPLY_BYTES - 1, '{');
    EXPECT_EQ(OnRecvData("{", 1, 1, &full), 1u);
    EXPECT_EQ(OnRecvData("{", 1, 1, &full), 0u);
    EXPECT_EQ(full.size(), MAX_REPLY_BYTES);
}

TEST_F(WebServiceTest, FailedTransfersGiveLibcurlsCode)
{
    std::string reply;
    ScriptedReply silent;
    silent.noReply = true;
    EXPECT_EQ(PostScripted(silent, reply), CURLE_GOT_NOTHING);

    ScriptedReply garbage = Body("garbage without any head\r\n\r\n");
    garbage.rawBody = true;
    EXPECT_NE(PostScripted(garbage, reply), 0);

    EXPECT_EQ(PostScripted(Body(std::string(MAX_REPLY_BYTES + 1, 'x')), reply), CURLE_WRITE_ERROR);

    reply.clear();
    SetTransferTimeoutMs(200);
    ScriptedReply slow = Body("{\"state\":107}");
    slow.delayMs = 5000;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(PostScripted(slow, reply), CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(reply, "");

    community_test::InstallWebSite("http://127.0.0.1:" + std::to_string(community_test::ClosedPort()) + "/api",
                                   machine_);
    EXPECT_EQ(PostMsg(MakeRequestUrl(REQUEST_REGISTER), &reply), CURLE_COULDNT_CONNECT);
}

TEST_F(WebServiceTest, OnlyHttpAndHttpsAreSpokenAndAReplyWithAnErrorStatusIsAFailure)
{
    // A root-only file outside the machine's drives, which a rewritten base address might name.
    const std::string secret = machine_.WriteFile("outside/secret.json", "{\"state\":107,\"secret\":\"s3cr3t-line\"}");
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    for (const char* end : {"?", "#"}) {
        community_test::InstallWebSite("file://" + secret + end, machine_);
        std::string reply;
        EXPECT_EQ(PostMsg(MakeRequestUrl(REQUEST_REGISTER), &reply), CURLE_UNSUPPORTED_PROTOCOL) << end;
        EXPECT_EQ(reply, "") << end;
    }

    // Redirects are not followed, to a file least of all; every status outside 2xx fails with its
    // own code, whatever JSON its body holds.
    server_.Install(machine_);
    ScriptedReply moved = Body("{\"state\":107}", 302);
    moved.location = "file://" + secret;
    std::string reply;
    EXPECT_EQ(PostScripted(moved, reply), HTTP_STATUS_FAILURE);
    EXPECT_EQ(reply.find("s3cr3t"), std::string::npos);
    for (const int status : {404, 500, 503}) {
        reply.clear();
        EXPECT_EQ(PostScripted(Body("{\"state\":107}", status), reply), HTTP_STATUS_FAILURE) << status;
    }
    ScriptedReply created = Body("{\"state\":107}", 201);
    reply.clear();
    EXPECT_EQ(PostScripted(created, reply), 0);
    EXPECT_EQ(reply, "{\"state\":107}");

    const std::string log = ReadProgramLog();
    EXPECT_EQ(log.find("s3cr3t"), std::string::npos);
    EXPECT_NE(log.find("PostMsg : the service answered with HTTP status 503"), std::string::npos);
}

size_t Collect(char* data, size_t size, size_t nmemb, void* reply)
{
    static_cast<std::string*>(reply)->append(data, size * nmemb);
    return size * nmemb;
}

TEST(TlsTest, AServiceWithASelfSignedCertificateIsRefusedAndAMissingCertificateStoreIsLoggedPlainly)
{
    testing_support::TempMachine machine;
    CSelfSignedServer server;

    // The service itself answers once the checks are off, so the refusal below is the checks'.
    CURL* curl = curl_easy_init();
    std::string unchecked;
    curl_easy_setopt(curl, CURLOPT_URL, server.Url().c_str());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &unchecked);
    EXPECT_EQ(curl_easy_perform(curl), CURLE_OK);
    curl_easy_cleanup(curl);
    EXPECT_EQ(unchecked, "{\"state\":1}");

    std::string reply;
    EXPECT_EQ(PostMsg(server.Url(), &reply), CURLE_PEER_FAILED_VERIFICATION);
    EXPECT_EQ(reply, "");
    EXPECT_NE(ReadProgramLog().find("PostMsg : the service's certificate is not trusted"), std::string::npos);

    // A machine without the certificate authorities: the transfer still fails, and the log says why.
    const std::string missing = machine.Root() + "/no-such-store/ca-certificates.crt";
    SetCertificateAuthorities(missing);
    const int result = PostMsg(server.Url(), &reply);
    SetCertificateAuthorities("");
    EXPECT_EQ(result, CURLE_SSL_CACERT_BADFILE);
    EXPECT_EQ(reply, "");
    EXPECT_NE(ReadProgramLog().find("PostMsg : the certificate store (" + missing +
                                    ") is missing or cannot be read, so no HTTPS service can be reached"),
              std::string::npos);
}

} // namespace
