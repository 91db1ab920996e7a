// The account and message requests of the community web service. Each task has the form of a
// CBgRunThread task: it runs on that worker with a pointer to its record and reports only through
// the record, which the caller reads after the thread's finished(). The int result is also
// logged; the record's state receives it when the reply gave no state of its own.
//
// Result codes: 0 the reply was read (its "state" is in the record); 10 no record; 11..20 the
// task's own codes (see each task); any other value is libcurl's transfer code (30: no handle).
// The task codes share their numbers with libcurl's, as the service's callers have always seen
// them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The status block every request record carries; the caller zero-fills it before a run (a
// non-zero state on entry is kept). The tasks use only iState.
struct S_TASK_STATUS {
    int32_t iReserved0 = 0;
    int32_t iReserved1 = 0;
    int32_t iState = 0;        // the reply's "state", or the task's failure code
    int32_t iReserved3 = 0;
};

// Sign-up and forgotten-password e-mail.
struct S_REGIST_INFO {
    std::string strEmail;      // bytes as typed (local 8-bit text)
    S_TASK_STATUS status;
};

// Log-in.
struct S_LOGIN_INFO {
    std::string strEmail;
    std::string strPassword;   // in clear; only its MD5 digest leaves the program
    S_TASK_STATUS status;
    int64_t i64UserId = 0;     // written only when the service accepts the log-in (state 114)
};

// One server message as the service sends it; texts are UTF-8.
struct S_MSG_DATA {
    int32_t iId = 0;
    int32_t iAddTime = 0;      // seconds since 1970-01-01 UTC
    int32_t iJsrq = 0;
    int32_t iState = 0;
    int32_t iIsOk = 0;
    int32_t iLength = 0;
    std::string strTitle;
    std::string strVersion;    // empty when the service sent no text
    std::string strContent;    // HTML
};

// One page of server messages.
struct S_MSG_REQUEST {
    std::string strVersion;    // the program's version; blanks are sent as "%20"
    int32_t iPage = 0;         // "/p/"
    int32_t iCount = 500;      // "/num/", and the most items read from one reply
    S_TASK_STATUS status;      // iState 202 after a good reply
    int32_t iPageCount = 0;    // the reply's "pg_count"
    int32_t iReadCount = 0;    // items read into lstMsg
    std::vector<S_MSG_DATA> lstMsg;  // in reply order
};

namespace CUserHelper {

// "/email_reg/.../name/<e-mail>": 11 reply not JSON, 12 no numeric "state".
int Register(void* data);

// "/quarnel_login/.../name/<e-mail>/pwd/<md5 of the password>": 11 empty e-mail and 12 empty
// password (nothing is sent), 13 reply not JSON, 14 no numeric "state", 15 no "data", and on
// state 114: 16 no "user" in "data", 17 no text "id" in "user"; 18 an exception.
int Login(void* data);

// "/email_wjmm/.../name/<e-mail>": the forgotten-password e-mail; codes as Register.
int ChangePwd(void* data);

// "/Msg/msg_push/.../version/<v>/p/<page>/num/<count>": 11 reply not JSON, 12 no "state", 13
// "state" not the number 202, 14 no "data" or no text "pg_count" in it, 20 an item missing or
// incomplete (the walk stops there, earlier items are kept).
int GetMessageData(void* data);

} // namespace CUserHelper
