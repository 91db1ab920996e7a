// Tallyrun, the maker's usage-statistics library, standing in here as a recorder: every call of an
// entry point is appended as one line to calls.log of the machine, so tests and users can see what
// would be counted. Nothing is sent anywhere.
//
// A line names the entry point with its arguments as they arrived: texts quoted, numbers in
// decimal, for example  _SetInfoDataEx("Clean_Disk_Optimize_Complete", 0, 1, 0, 0, "Task_CleanOperation", 1)

#include "TallyrunApi.h"

#include "MachineRecord.h"
#include "common/InfoAttribute.h"
#include "platform/Text.h"

#include <atomic>
#include <string>
#include <type_traits>

namespace {

const wchar_t* const CALLS_PATH = L"C:\\ProgramData\\Orvane\\Tallyrun\\calls.log";

// What an entry point answers when its call was recorded (SpySetValueEx answers 0 instead, as its
// callers read 1 as "not reported").
constexpr int RECORDED = 1;
constexpr int NOT_RECORDED = 0;

std::string Argument(const wchar_t* text) { return text ? JsonQuote(platform::ToUtf8(text)) : "null"; }

template <class Number>
std::string Argument(Number value)
{
    return std::to_string(value);
}

template <class... Args>
bool Record(const char* entryPoint, Args... args)
{
    std::string line = std::string(entryPoint) + "(";
    [[maybe_unused]] const char* separator = "";
    ((line += separator + Argument(args), separator = ", "), ...);
    return AppendMachineLine(CALLS_PATH, line + ")");
}

class CSmartSpy final : public ISmartSpy {
public:
    int CountEvent(int eventId) override { return Record("SmartSpy.CountEvent", eventId) ? RECORDED : NOT_RECORDED; }
    void Close() override { Record("SmartSpy.Close"); }
};

CSmartSpy g_smartSpy;
std::atomic<DWORD> g_actions{0};

} // namespace

extern "C" {

int _SetActionData(UINT_PTR a, UINT_PTR b, UINT_PTR c, UINT_PTR d, UINT_PTR e, UINT_PTR f)
{
    return Record("_SetActionData", a, b, c, d, e, f) ? RECORDED : NOT_RECORDED;
}

// Handles are unique on the machine: the process id above a count of this process's actions.
ULONGLONG _BeginAction()
{
    const ULONGLONG handle = (static_cast<ULONGLONG>(GetCurrentProcessId()) << 32) | ++g_actions;
    Record("_BeginAction", handle);
    return handle;
}

int _AddHandle(const wchar_t* name, DWORD handleLow, DWORD handleHigh, const wchar_t* category)
{
    return Record("_AddHandle", name, handleLow, handleHigh, category) ? RECORDED : NOT_RECORDED;
}

ISmartSpy* GetSmartSpy()
{
    Record("GetSmartSpy");
    return &g_smartSpy;
}

int _SetInfoData(const wchar_t* event, int a, int b, int c, int flag, const wchar_t* category)
{
    return Record("_SetInfoData", event, a, b, c, flag, category) ? RECORDED : NOT_RECORDED;
}

int _SetInfoDataEx(const wchar_t* event, int a, int b, int c, int flag, const wchar_t* category, int d)
{
    return Record("_SetInfoDataEx", event, a, b, c, flag, category, d) ? RECORDED : NOT_RECORDED;
}

int SpySetValueEx(int valueId, DWORD valueLow, DWORD valueHigh)
{
    return Record("SpySetValueEx", valueId, valueLow, valueHigh) ? 0 : 1;
}

} // extern "C"

// The entry points keep the shapes their callers bind.
static_assert(std::is_same_v<decltype(&_SetActionData), TallyrunSetActionDataProc>);
static_assert(std::is_same_v<decltype(&_BeginAction), TallyrunBeginActionProc>);
static_assert(std::is_same_v<decltype(&_AddHandle), TallyrunAddHandleProc>);
static_assert(std::is_same_v<decltype(&GetSmartSpy), TallyrunGetSmartSpyProc>);
static_assert(std::is_same_v<decltype(&_SetInfoData), TallyrunSetInfoDataProc>);
static_assert(std::is_same_v<decltype(&_SetInfoDataEx), TallyrunSetInfoDataExProc>);
static_assert(std::is_same_v<decltype(&SpySetValueEx), TallyrunSpySetValueExProc>);
