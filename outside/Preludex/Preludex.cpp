// Preludex, the maker's usage-event sender, standing in here as a recorder: every event it is
// started with is appended as one JSON object per line to events.jsonl of the machine. Nothing is
// sent anywhere.
//
//   Preludex /SendInfo [Window "..."] [Source "..."] [Activity "..."] [Attribute "..."]

#include "MachineRecord.h"

#include "common/InfoAttribute.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int EXIT_RECORDED = 0;
constexpr int EXIT_BAD_COMMAND_LINE = 1;
constexpr int EXIT_NOT_RECORDED = 2;

const wchar_t* const EVENTS_PATH = L"C:\\ProgramData\\Orvane\\Preludex\\events.jsonl";

// The parts of an event in the order the reporter sends them and the record lists them.
constexpr std::array<const wchar_t*, 4> PARTS = {L"Window", L"Source", L"Activity", L"Attribute"};

using Event = std::array<std::optional<std::wstring>, PARTS.size()>;

// The event of the arguments after the program's own, or nothing when they hold an unknown
// switch or keyword, a keyword twice or without its text, or no part at all.
std::optional<Event> ParseEvent(const std::vector<std::wstring>& arguments)
{
    if (arguments.size() < 2 || !platform::EqualsIgnoringCase(arguments[1], L"/SendInfo"))
        return std::nullopt;
    Event event;
    bool any = false;
    for (size_t i = 2; i < arguments.size(); i += 2) {
        size_t part = 0;
        while (part < PARTS.size() && !platform::EqualsIgnoringCase(arguments[i], PARTS[part]))
            ++part;
        if (part == PARTS.size() || i + 1 >= arguments.size() || event[part])
            return std::nullopt;
        event[part] = arguments[i + 1];
        any = true;
    }
    if (!any)
        return std::nullopt;
    return event;
}

std::string EventRecord(const Event& event)
{
    std::string record = "{";
    for (size_t part = 0; part < PARTS.size(); ++part) {
        if (event[part])
            record += JsonQuote(platform::ToUtf8(PARTS[part])) + ':' + JsonQuote(platform::ToUtf8(*event[part])) + ',';
    }
    return record + "\"Time\":" + JsonQuote(LocalTimeText()) + "}";
}

} // namespace

int main()
{
    const std::optional<Event> event = ParseEvent(platform::SplitCommandLine(GetCommandLineW()));
    if (!event)
        return EXIT_BAD_COMMAND_LINE;
    return AppendMachineLine(EVENTS_PATH, EventRecord(*event)) ? EXIT_RECORDED : EXIT_NOT_RECORDED;
}
