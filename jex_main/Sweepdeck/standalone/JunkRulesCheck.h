// Why the junk rules beside the program cannot be used, in words for the user: the junk gatherer
// itself only answers that it has none.
#pragma once

#include <QString>

#include <string>

// The reason the rule file at the Windows path cannot be read: the system's text for why it does
// not open or read, or that it is empty, or cut short or damaged; empty when it reads as whole XML.
QString JunkRulesProblem(const std::wstring& path);
