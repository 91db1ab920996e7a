// What the system wrote into Quarnel.log in the machine's temporary folder.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// The messages of the log, one per line, without their time stamps.
std::vector<std::wstring> QuarnelLogMessages();

} // namespace testing_support
