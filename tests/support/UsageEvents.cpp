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

} // namespace testing_support
