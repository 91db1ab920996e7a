// The process's command line and Windows' rules for splitting one into arguments and for writing
// an argument so that it splits back unchanged.
#pragma once

#include "platform/win/Types.h"

#include <string>
#include <vector>

#pragma GCC visibility push(default)

// The command line this process was started with: exactly the text its starter passed to
// CreateProcessW, or, for a process started otherwise, its arguments written the Windows way.
LPWSTR GetCommandLineW();

// Splits a command line by Windows' rules. The result is one block holding the pointer array and
// the texts; release it with free(). An empty command line gives the running program's path.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* numArgs);

namespace platform {

// The arguments of a command line by Windows' rules: the first (the program name) ends at a blank
// outside quotes and takes quotes literally as toggles without escapes; the others follow the
// backslash and quote rules (2n backslashes + quote: n backslashes and a toggle, 2n+1: n
// backslashes and a literal quote, "" inside quotes: a literal quote).
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// One argument written so that SplitCommandLine gives it back (quoted when it is empty, holds
// blanks or quotes, or alwaysQuote asks for it; backslashes before quotes doubled).
std::wstring QuoteArgument(const std::wstring& argument, bool alwaysQuote = false);

// A program name written as the first word of a command line: quoted when it holds blanks.
std::wstring QuoteProgramName(const std::wstring& program);

} // namespace platform

#pragma GCC visibility pop
