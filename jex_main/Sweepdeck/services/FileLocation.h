// Showing a file in the file manager, and the system's text for why it failed.
#pragma once

#include "platform/Windows.h"

#include <QString>

// Opens the folder of the file with the file at hand: through the shell's item list of the path
// when the file exists, otherwise by starting "explorer.exe /select, <path>" (with the file-system
// redirection switched off, so that a 32-bit process reaches the real system folder). Answers
// ERROR_SUCCESS or the Windows error of the call that failed, judged from that call's own result.
DWORD ShowFileInFolder(const wchar_t* path);

// The system's message text for a Windows error in the language, else in the system's default;
// empty when there is none.
QString SystemErrorText(DWORD error, WORD languageId);
