// Renewer's record of what it was asked and what came of it, in requests.log of the machine, so
// that tests and users can see it.
#pragma once

#include <string>

// Appends the line, after the local time.
void RecordRequestLine(const std::string& text);
