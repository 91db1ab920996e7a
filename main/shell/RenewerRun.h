// Runs of the outside updater Renewer from the program folder, started with one word and no
// window: "downloadupdate" leaves the update archive in the product's temporary folder,
// "executeupdate" installs it.
#pragma once

#include "platform/Windows.h"

#include <string>

inline constexpr wchar_t kRenewerDownload[] = L"downloadupdate";
inline constexpr wchar_t kRenewerExecute[] = L"executeupdate";
// How long a run is waited for.
inline constexpr DWORD kRenewerWaitMs = 600000;
// How long a run that was ended is waited for once more, to be gone.
inline constexpr DWORD kRenewerEndMs = 10000;

// "\"<program folder>\Renewer.exe\"" and, after a blank, the word when there is one; empty when
// the program folder is unknown.
std::wstring RenewerCommandLine(const std::wstring& word);

// Starts Renewer and waits up to waitMs for it: its exit code, 0 when it could not be started.
// A Renewer still running then is ended (a kill leaves its download or install old or new), so
// that one run at a time works in the download folder; its code is then STILL_ACTIVE.
DWORD RunRenewer(const std::wstring& word, DWORD waitMs);

// The same as a background task of CBgRunThread, the data being the word (a wide C string), with
// the full wait.
int RenewerTask(void* word);
