#include "ScanProgress.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

void CScanProgress::Reset()
{
    QMutexLocker locker(&lock);
    progress = 0;
    beginPercent = 0;
    endPercent = 0;
    currentFolder[0] = L'\0';
}

void CScanProgress::SetProgress(int pos, bool done)
{
    QMutexLocker locker(&lock);
    SetProgressLocked(pos, done);
}

void CScanProgress::SetProgressLocked(int pos, bool done)
{
    if (progress >= pos)
        return;
    progress = pos < 100 ? pos : (done ? 100 : 98);
}

void CScanProgress::OnSpan(int begin, int end)
{
    QMutexLocker locker(&lock);
    beginPercent = std::clamp(begin, 0, 100);
    endPercent = std::clamp(end, beginPercent, 100);
    SetProgressLocked(beginPercent != 0 ? beginPercent : 1, beginPercent == 100);
}

void CScanProgress::OnFile(const std::wstring& path, double fraction)
{
    if (!lock.tryLock(0))
        return;
    // A drive that reports no used bytes, or more walked than used, must not carry the bar past
    // its span.
    const double share = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    SetProgressLocked(static_cast<int>(beginPercent + (endPercent - beginPercent) * share), false);
    const size_t length = std::min(path.size(), kFolderCapacity - 1);
    std::wmemcpy(currentFolder, path.data(), length);
    currentFolder[length] = L'\0';
    if (wchar_t* slash = std::wcsrchr(currentFolder, L'\\'))
        *slash = L'\0';
    lock.unlock();
}

bool CScanProgress::Take(int* shown, std::wstring* folder)
{
    if (!lock.tryLock(0))
        return false;
    *shown = progress;
    folder->assign(currentFolder);
    currentFolder[0] = L'\0';
    lock.unlock();
    return true;
}
