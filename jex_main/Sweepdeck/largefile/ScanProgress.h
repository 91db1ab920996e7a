// How far a large-file scan has come and the folder it last reported, written by the scan worker
// and read by the GUI's refresh timer. The worker never waits for the GUI on a file: a report
// that finds the state busy is dropped.
#pragma once

#include <QMutex>

#include <string>

class CScanProgress {
public:
    // Back to 0 with no span and no folder.
    void Reset();
    // Moves the shown value to pos when that is higher; 100 only when done, else at most 98.
    void SetProgress(int pos, bool done);
    // Worker: the span of the overall progress the next drive covers; its start is shown at once
    // (at least 1), and a start of 100 means finished.
    void OnSpan(int beginPercent, int endPercent);
    // Worker: one file met, fraction of its drive walked (0 to 1; anything else is brought within).
    void OnFile(const std::wstring& path, double fraction);
    // GUI: the value to show and the folder reported since the last call (empty: none). False, and
    // nothing taken, when the worker holds the state just now.
    bool Take(int* progress, std::wstring* folder);

private:
    static constexpr size_t kFolderCapacity = 260;

    void SetProgressLocked(int pos, bool done);

    QMutex lock;
    int progress = 0;
    int beginPercent = 0;
    int endPercent = 0;
    wchar_t currentFolder[kFolderCapacity] = {};
};
