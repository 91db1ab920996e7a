#include "UserHelper.h"

#include "JsonReply.h"
#include "MD5Encryption.h"
#include "RequestText.h"
#include "WebService.h"
#include "common/WriteLog.h"

#include <cstring>
#include <utility>

namespace {

constexpr int32_t LOGIN_ACCEPTED = 114;
constexpr int64_t MESSAGES_READ = 202;

void LogUrl(const char* task, const std::string& url)
{
    WriteLogA("%s : url=%s\n", task, MaskPassword(url).c_str());
}

// Posts the request, logs it with its reply and parses the reply: the transfer code, or notJson
// when the reply is not JSON.
int Exchange(const char* task, const std::string& url, int notJson, JsonTree& tree)
{
    std::string reply;
    const int code = PostMsg(url, &reply);
    WriteLogA("%s : url=%s \n\t %s, code=%d\n", task, MaskPassword(url).c_str(), reply.c_str(), code);
    if (code != 0)
        return code;
    tree = ParseReply(reply);
    return tree ? 0 : notJson;
}

// The reply's numeric "state" into the record; false when it has none.
bool TakeState(const cJSON* root, S_TASK_STATUS& status)
{
    int64_t state = 0;
    if (!JsonInteger(JsonMember(root, "state"), state))
        return false;
    status.iState = Low32(state);
    return true;
}

// The frame every task shares: an exception ends the body with the task's code, and a failure
// reaches the record's state when the reply left none there.
template <class Body>
int RunTask(const char* task, S_TASK_STATUS& status, int exceptionCode, Body body)
{
    int result;
    try {
        result = body();
    } catch (...) {
        result = exceptionCode;
    }
    if (status.iState == 0 && result != 0) {
        status.iState = result;
        WriteLogA("%s : return State = %d\n", task, result);
    }
    return result;
}

// Sign-up and the forgotten-password e-mail: the address in, the reply's state out.
int RequestForEmail(const char* task, ERequestType kind, bool logFirst, void* data)
{
    auto* info = static_cast<S_REGIST_INFO*>(data);
    if (!info)
        return 10;
    return RunTask(task, info->status, 13, [&] {
        const std::string url = MakeRequestUrl(kind) + "/name/" + EscapePathSegment(info->strEmail);
        if (logFirst)
            LogUrl(task, url);
        JsonTree tree;
        if (const int code = Exchange(task, url, 11, tree))
            return code;
        return TakeState(tree.get(), info->status) ? 0 : 12;
    });
}

// One message item; false when a member it needs is missing or of the wrong type.
bool ReadMessage(const cJSON* item, S_MSG_DATA& message)
{
    const char* id = JsonText(item, "id");
    const char* title = JsonText(item, "title");
    const char* jsrq = JsonText(item, "jsrq");
    const cJSON* version = JsonMember(item, "version");
    const char* content = JsonText(item, "content");
    const char* state = JsonText(item, "state");
    const char* isok = JsonText(item, "isok");
    const cJSON* length = JsonMember(item, "length");
    const char* addTime = JsonText(item, "add_time");
    if (!id || !title || !jsrq || !version || !content || !state || !isok || !length || !addTime)
        return false;
    message.iId = DecimalValue(id);
    message.iAddTime = DecimalValue(addTime);
    message.iJsrq = DecimalValue(jsrq);
    message.iState = DecimalValue(state);
    message.iIsOk = DecimalValue(isok);
    int64_t lengthValue = 0;
    JsonInteger(length, lengthValue);
    message.iLength = Low32(lengthValue);
    message.strTitle = title;
    message.strVersion = cJSON_IsString(version) ? version->valuestring : "";
    message.strContent = content;
    return true;
}

// The members of "data" in order, up to the requested count: 0 at the count or at "pg_count",
// 20 at a missing or incomplete item (the items before it stay).
int ReadMessages(const cJSON* items, S_MSG_REQUEST& request)
{
    const cJSON* item = items->child;
    for (int32_t i = 0; i < request.iCount; ++i, item = item->next) {
        if (!item)
            return 20;
        if (item->string && std::strcmp(item->string, "pg_count") == 0)
            return 0;
        S_MSG_DATA message;
        if (!ReadMessage(item, message))
            return 20;
        ++request.iReadCount;
        request.lstMsg.push_back(std::move(message));
    }
    return 0;
}

} // namespace

int CUserHelper::Register(void* data)
{
    return RequestForEmail(__PRETTY_FUNCTION__, REQUEST_REGISTER, false, data);
}

int CUserHelper::ChangePwd(void* data)
{
    return RequestForEmail(__PRETTY_FUNCTION__, REQUEST_CHANGE_PWD, true, data);
}

int CUserHelper::Login(void* data)
{
    const char* task = __PRETTY_FUNCTION__;
    auto* info = static_cast<S_LOGIN_INFO*>(data);
    if (!info)
        return 10;
    return RunTask(task, info->status, 18, [&] {
        if (info->strEmail.empty())
            return 11;
        if (info->strPassword.empty())
            return 12;
        const std::string url = MakeRequestUrl(REQUEST_LOGIN) + "/name/" + EscapePathSegment(info->strEmail) +
                                "/pwd/" + GetMd5LowerHex(info->strPassword);
        LogUrl(task, url);
        JsonTree tree;
        if (const int code = Exchange(task, url, 13, tree))
            return code;
        if (!TakeState(tree.get(), info->status))
            return 14;
        const cJSON* replyData = JsonMember(tree.get(), "data");
        if (!replyData)
            return 15;
        if (info->status.iState == LOGIN_ACCEPTED) {
            const cJSON* user = JsonMember(replyData, "user");
            if (!user)
                return 16;
            const char* id = JsonText(user, "id");
            if (!id)
                return 17;
            info->i64UserId = DecimalValue(id);
        }
        return 0;
    });
}

int CUserHelper::GetMessageData(void* data)
{
    const char* task = __PRETTY_FUNCTION__;
    auto* request = static_cast<S_MSG_REQUEST*>(data);
    if (!request)
        return 10;
    return RunTask(task, request->status, 13, [&] {
        const std::string url = MakeRequestUrl(REQUEST_MESSAGES) + "/version/" + EscapeBlanks(request->strVersion) +
                                "/p/" + std::to_string(request->iPage) + "/num/" + std::to_string(request->iCount);
        JsonTree tree;
        if (const int code = Exchange(task, url, 11, tree))
            return code;
        const cJSON* state = JsonMember(tree.get(), "state");
        if (!state)
            return 12;
        int64_t stateValue = 0;
        if (!JsonInteger(state, stateValue) || stateValue != MESSAGES_READ)
            return 13;
        const cJSON* items = JsonMember(tree.get(), "data");
        const char* pageCount = JsonText(items, "pg_count");
        if (!pageCount)
            return 14;
        request->iPageCount = DecimalValue(pageCount);
        request->status.iState = static_cast<int32_t>(MESSAGES_READ);
        return ReadMessages(items, *request);
    });
}
