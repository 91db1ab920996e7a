#include "UsageEvents.h"

#include "TempMachine.h"

#include "platform/Machine.h"
#include "support/WaitUntil.h"

#include <QJsonDocument>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

namespace testing_support {

std::vector<QJsonObject> RecordedUsageEvents()
{
    std::vector<QJsonObject> events;
    std::istringstream lines(ReadFile(platform::HostPath(L"C:\\ProgramData\\Orvane\\Preludex\\events.jsonl")));
    for (std::string line; std::getline(lines, line);)
        events.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    return events;
}

std::vector<QJsonObject> UsageEvents(size_t count)
{
    WaitUntil([count] { return RecordedUsageEvents().size() >= count; });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return RecordedUsageEvents();
}

std::vector<std::string> StatisticsCalls(const std::string& entryPoint)
{
    std::vector<std::string> calls;
    std::istringstream lines(ReadFile(platform::HostPath(L"C:\\ProgramData\\Orvane\\Tallyrun\\calls.log")));
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, entryPoint.size() + 1, entryPoint + "(") == 0)
            calls.push_back(line);
    return calls;
}

size_t InfoDataReports(const std::string& event)
{
    size_t count = 0;
    for (const std::string& call : StatisticsCalls("_SetInfoData"))
        count += call.compare(0, event.size() + 16, "_SetInfoData(\"" + event + "\",") == 0;
    return count;
}

} // namespace testing_support
