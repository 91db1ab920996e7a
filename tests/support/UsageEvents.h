// The usage events Preludex recorded on the test's machine, one JSON object each.
#pragma once

#include <QJsonObject>

#include <string>
#include <vector>

namespace testing_support {

// The events recorded so far.
std::vector<QJsonObject> RecordedUsageEvents();

// All recorded events once there are at least `count` (only a failing test waits long), read a little later again so that events that should not be there have
// had time to come.
std::vector<QJsonObject> UsageEvents(size_t count);

// The calls of one entry point of the usage-statistics library recorded so far, in order, one line
// each as the library writes them: `_SetInfoData("Clean_Home_NoOperation", 0, 0, 0, 0, "Task_...")`.
// The library records each call before it returns.
std::vector<std::string> StatisticsCalls(const std::string& entryPoint);
// How often the event was reported through _SetInfoData so far.
size_t InfoDataReports(const std::string& event);

} // namespace testing_support
