// Usage events: each is handed to the maker's sender Preludex, started from the program folder
// for that one event and never awaited. Failures are silent; the event is then lost.
#pragma once

#include <string>

// Window, source, activity and attribute (a JSON object text, see InfoAttribute.h); empty parts
// are left out, and an event whose parts are all empty starts nothing.
void RunSendInfoW(const std::wstring& window, const std::wstring& source, const std::wstring& activity,
                  const std::wstring& attribute);

// The same for narrow texts in the ANSI code page; null counts as empty.
void RunSendInfo(const char* window, const char* source, const char* activity, const char* attribute);

// The command line Preludex is started with: " /SendInfo" and, for each non-empty part, its
// keyword and the text written as one argument by Windows' rules (quoted when it holds blanks or
// quotes, backslashes before a quote and at the end doubled), so that every text reaches Preludex
// unchanged and none runs into the next.
std::wstring MakeSendInfoCommandLine(const std::wstring& window, const std::wstring& source,
                                     const std::wstring& activity, const std::wstring& attribute);

// The callers' entry point, which takes the activity before the source.
inline void SendInfoEvent(const char* window, const char* activity, const char* attribute, const char* source)
{
    RunSendInfo(window, source, activity, attribute);
}
