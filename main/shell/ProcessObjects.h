// Objects the main program keeps for its whole run: style-sheet texts shared by several windows,
// the current window name of the clean-up pages, the lock around the message store and a few
// texts. All are made before the main routine runs and go when the process ends.
#pragma once

#include <QMutex>
#include <QString>

#include <string>

// The check-box and radio-button look of the settings dialog.
extern QString g_checkRadioStyleSheet;
// The button look of the junk-found pop-up.
extern QString g_popButtonStyleSheet;
// The title look of the start-up assistant pop-up.
extern QString g_popTitleStyle;
// The name of the File Showing page's text file.
extern QString g_fileShowingTextName;
// The account the log-in page last logged in with (local 8-bit text); empty after a log-out.
extern std::string g_loginText;
// Held by whichever thread reads or writes the message store "message.dat".
extern QMutex g_messageStoreMutex;

// The window name the clean-up pages report last (ANSI text), shared by every title bar: usage
// events of their frames' close buttons carry it.
std::string GetCurWindowName();
void SetCurWindowName(const std::string& name);
