// The usage events Preludex recorded on the test's machine, one JSON object each.
#pragma once

#include <QJsonObject>

#include <vector>

namespace testing_support {

// The events recorded so far.
std::vector<QJsonObject> RecordedUsageEvents();

// All recorded events once there are at least `count` (only a failing test waits long), read a little later again so that events that should not be there have
// had time to come.
std::vector<QJsonObject> UsageEvents(size_t count);

} // namespace testing_support
