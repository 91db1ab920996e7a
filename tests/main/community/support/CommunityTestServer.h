// The community web service as the tests meet it: a small HTTP server of our own on 127.0.0.1
// (an ephemeral port), checking each request's signature and answering the account and message
// paths either as a small live service or with scripted replies (slow, empty, malformed, huge,
// 5xx, not JSON).
//
// How a test uses it (link QuarnelCommunityTestSupport):
//     testing_support::TempMachine machine;          // a program folder of the test's own follows
//     community_test::CCommunityTestServer server;   // listening from here on
//     server.Install(machine);                       // kyphtupdate.ini names the server
//     server.AddAccount("ann@example.com", "secret", 42);
//     ... run CUserHelper::Login (directly or through a page) ...
//     server.Requests()                              // what arrived, with the signature verdict
// Install makes the machine's "program" folder the program folder, writes the address there and
// makes the client read it again, so it may be called again after a test changed the settings. The base address is
// "http://127.0.0.1:<port>/api"; the message request, which drops the last four characters,
// arrives at "/Msg/msg_push".
//
// The live service answers:
//   /api/email_reg    new address: {"state":107}; a registered one: {"state":108}
//   /api/quarnel_login unknown address: 112, wrong password: 113, else 114 with data.user.id
//   /api/email_wjmm   registered address: {"state":116}; otherwise {"state":112}
//   /Msg/msg_push     {"state":202,"data":{"0":{item},...,"pg_count":"<pages>"}}, page p of the
//                     messages added, num per page (pages counted from 1), or endless pages
// A request with a wrong signature gets HTTP 403 and {"state":403}; an unknown path 404. Files
// added with AddFile (update descriptions and packages) are served as they are at their paths.
#pragma once

#include "LoopbackListener.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {
class TempMachine;
}

namespace community_test {

// The request kinds by the last segment of their path.
enum class RequestKind { Register, Login, ChangePwd, Messages, Unknown };

struct ScriptedReply {
    int status = 200;
    std::string body;
    int delayMs = 0;            // before anything is sent (interrupted when the server stops)
    size_t pieceBytes = 0;      // the body in pieces of this size, each sent on its own (0: at once)
    int pieceDelayMs = 0;       // pause between pieces
    bool chunked = false;       // Transfer-Encoding: chunked instead of Content-Length
    bool noReply = false;       // read the request, then close without a byte
    bool rawBody = false;       // the body alone, without any HTTP head
    std::string location = {};  // a Location header, for a redirect
};

struct RecordedRequest {
    std::string method;
    std::string target;                          // as sent, escapes kept
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    RequestKind kind = RequestKind::Unknown;
    std::map<std::string, std::string> segments; // "sign", "time", "name", "pwd", "version", "p", "num"
    bool signatureValid = false;
};

struct ServerMessage {
    std::string id = "1";
    std::string title = "Title";
    std::string content = "<p>Content</p>";
    std::string addTime = "1500000000";
    std::string version = "1.0.0";
    std::string length = "0";   // sent as a JSON number
};

class CCommunityTestServer {
public:
    CCommunityTestServer();
    ~CCommunityTestServer();
    CCommunityTestServer(const CCommunityTestServer&) = delete;
    CCommunityTestServer& operator=(const CCommunityTestServer&) = delete;

    std::string WebSite() const;
    void Install(const testing_support::TempMachine& machine) const;

    void AddAccount(const std::string& email, const std::string& password, int64_t id);
    void AddMessage(const ServerMessage& message);
    // Serves the bytes at the path ("/update/Draviels.zip"), unsigned; Address gives its URL.
    void AddFile(const std::string& path, const std::string& content);
    std::string Address(const std::string& path) const;

    // Every later request of the kind gets this reply instead of the live answer.
    void Script(RequestKind kind, const ScriptedReply& reply);
    // Every later request for exactly this target ("/files/TrayPop.ini") gets this reply, before
    // any script: files such as a description, an archive or its pictures.
    void ServeAt(const std::string& target, const ScriptedReply& reply);
    void ClearScripts();
    // Every later message request is answered as by a service that never runs out of pages: page
    // p holds the message (with id p and title "Message <p>" where each page brings a new one, as
    // it is where each brings the same) and announces the page count given.
    void AnswerEndlessly(const ServerMessage& message, bool newEachPage, const std::string& pageCount);

    std::vector<RecordedRequest> Requests() const;

private:
    void Serve(int client);
    ScriptedReply Answer(const RecordedRequest& request);
    void Send(int client, const ScriptedReply& reply);
    bool Pause(int milliseconds);

    bool stopping_ = false;
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    std::map<std::string, std::pair<std::string, int64_t>> accounts_;  // e-mail -> password, id
    std::vector<ServerMessage> messages_;
    std::map<std::string, std::string> files_;
    std::map<RequestKind, ScriptedReply> scripts_;
    std::map<std::string, ScriptedReply> served_;
    struct Endless {
        ServerMessage message;
        bool newEachPage;
        std::string pageCount;
    };
    std::optional<Endless> endless_;
    std::vector<RecordedRequest> requests_;
    CLoopbackListener listener_{[this](int client) { Serve(client); }};
};

// Writes the base address into kyphtupdate.ini of the machine's program folder (made the layer's
// program folder) and makes the client read it again.
void InstallWebSite(const std::string& website, const testing_support::TempMachine& machine);

// A loopback port that nothing listens on.
uint16_t ClosedPort();

// md5("time=<time>" + salt) in lower case: what a signature must be.
std::string ExpectedSignature(const std::string& time);

} // namespace community_test
