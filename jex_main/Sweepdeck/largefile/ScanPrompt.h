// What the partition page shows in place of the drive tiles during a scan: the drive and the folder
// being searched.
#pragma once

#include "BackupWindow.h"

class QLabel;

class CScanPrompt : public CBackupWindow {
    Q_OBJECT
public:
    CScanPrompt();

    // reset empties both lines; otherwise the drive of path and the folder itself are shown.
    void SetFolder(const wchar_t* path, bool reset);

private:
    QLabel* driveLabel;
    QLabel* folderLabel;
};

// The drive letter of a Windows path ("C" for "C:\Data" and for "\\?\C:\Data"); for any other path
// its first character, as the prompt has always shown it.
QString DriveLetterOf(const QString& path);
