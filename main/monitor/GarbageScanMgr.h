// The main program's background junk monitor. While the main window sits hidden in the tray it
// asks the clean-up library for a junk analysis every ScanInterval seconds, unless the processor
// is busy, a full-screen application runs, the user closed a junk pop-up, or a pop-up or the main
// window is in sight; when an analysis finds at least the chosen level's size, the junk-found
// pop-up slides in. At each new run (a start at log-in, or the first check after a session ended)
// it brings the start-up assistant's resource pack up to date on a worker thread and offers the
// day's assistant once. Its settings are "GarbageClean.ini" of the program folder; the resource
// pack and the marker of an ended session ("shutdown.tmp") lie in the per-user resource folder.
// One monitor exists, made by the main window with itself as parent.
#pragma once

#include "MonitorSources.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CGarbageCleanWnd;
class CResUpdateThread;
class CStarUpWnd;
class IUnzipFile;
class IUpdateFixt;
class QTimer;

class CGarbageScanMgr : public QObject {
    Q_OBJECT
public:
    // sources: the clock and processor times (null: the machine's).
    explicit CGarbageScanMgr(QObject* parent, std::shared_ptr<IMonitorSources> sources = nullptr);
    // Both pop-ups go with the monitor, and the clean-up library no longer calls it back. A resource
    // update under way is cancelled and waited for a bounded time (SetResourceWaitMs); one that has
    // not ended by then finishes on its own, reporting to nobody.
    ~CGarbageScanMgr() override;

    // Called once with the program's start-up words ("autostart": started at log-in; "autoscan":
    // started to analyse): registers the scan-result callback with the system-clean export
    // object; with "autoscan" asks for an analysis in the main window and may offer the assistant
    // again, with "autostart" updates the
    // resource pack (whose end offers the assistant), else only arms the scan timer; removes a
    // leftover shutdown marker and starts the shutdown check.
    void StartMonitor(bool bAutoStart, bool bAutoScan);
    // The main window is being shown: both pop-ups hide.
    void HidePopWnds();
    // While a full-screen application runs, background scans and pop-ups are held back.
    void SetFullScreen(bool fullScreen);
    // Writes "shutdown" into "shutdown.tmp" of the resource folder.
    void MarkShutDown();

    // The settings dialog's choices: stored and written to "GarbageClean.ini" at once. A level
    // outside 1..5 is taken as the nearest one.
    void SetShowAssit(bool show);
    void SetShowClean(bool show);
    void SetCleanLv(int lv);
    bool GetShowAssit() const { return showAssit_; }
    bool GetShowClean() const { return showClean_; }
    int GetCleanLv() const { return cleanLv_; }
    // The five level sizes as display texts ("100 MB" ... "1.00 GB").
    QStringList GetLvTextList() const { return lvTexts_; }
    // The resource description's switches for the start-up assistant and the background scan.
    bool GetEnableAssit() const { return enableAssit_; }
    bool GetEnableScan() const { return enableScan_; }

    // Runs the resource-pack update: on the calling thread with bSync, else on the resource thread
    // (a running update is left alone). Its end is sigUpdateFinish.
    void UpdateRes(bool bSync);
    // Copies the installed default description and pack into the resource folder; false when its
    // pictures' folder could not be made.
    static bool RestoreDefaultRes();
    // Test seam: how long the monitor's end waits for a resource update under way (5 s unless
    // changed).
    static void SetResourceWaitMs(int milliseconds);

    // The per-user resource folder (Windows path ending in a backslash; empty when unknown).
    QString ResourceFolder() const { return resDir_; }
    CGarbageCleanWnd* JunkWnd() const { return junkWnd_.get(); }
    CStarUpWnd* StarUpWnd() const { return starUpWnd_.get(); }
    int CpuLoad() const { return cpuLoad_; }
    qint64 Threshold() const { return threshold_; }
    bool IsScanTimerActive() const;
    bool IsRetryTimerActive() const;
    int ScanIntervalMs() const { return scanIntervalMs_; }
    int RetryIntervalMs() const { return retryIntervalMs_; }

    // "100 MB", "1.00 GB", "12.3 GB", "1.46 KB": three significant digits at most, never below
    // 1 KB for a size above 1 byte.
    static QString FormatSizeText(qint64 bytes);

    // Receives the size of a finished automatic analysis from the clean-up library; context is
    // the monitor.
    static void ScanResultCallback(unsigned sizeLow, unsigned sizeHigh, void* context);

signals:
    void sigUpdateFinish(bool ok);
    void sigAutoScan();
    void sigAutoClean();

public slots:
    void StartScanTimer();
    void OnScanTimer();
    void OnScanResult(qint64 size);
    void OnShutDownTimer();
    void SampleCpuUsage();
    void StartUpdateRes();
    void OnUpdateFinish(bool ok);

private slots:
    void OnStarUpScan();
    void OnCleanWndClean();
    void OnCleanWndClose();

private:
    void LoadConfig();
    void LoadUpdateLibrary();
    void OnUpdateFailed();
    void ShowStarUpWnd();
    void WriteSetting(const wchar_t* key, const QString& value) const;
    // The shutdown marker's Windows path.
    std::wstring MarkerPath() const;
    bool IsMainWindowVisible() const;

    std::shared_ptr<IMonitorSources> sources_;
    uint64_t prevIdle_ = 0;
    uint64_t prevKernel_ = 0;
    uint64_t prevUser_ = 0;
    QString resDir_;
    QStringList lvTexts_;
    CResUpdateThread* resThread_;
    std::unique_ptr<CStarUpWnd> starUpWnd_;
    std::unique_ptr<CGarbageCleanWnd> junkWnd_;
    QTimer* retryTimer_;
    QTimer* shutDownTimer_;
    QTimer* cpuTimer_;
    QTimer* scanTimer_;
    // Null without the Update library, which is never unloaded. The update object is kept for the
    // life of the process; the archive object is released with the monitor.
    IUpdateFixt* updateObj_ = nullptr;
    IUnzipFile* unzipObj_ = nullptr;
    int retryIntervalMs_ = 0;
    int scanIntervalMs_ = 0;
    int shutDownInterval_ = 0;
    int cpuLoad_ = 0;
    int starUpDuration_ = 30;
    int cleanLv_ = 1;
    int cpuLimit_ = 50;
    std::array<qint64, 6> lvSizes_ {}; // by level 1..5
    qint64 threshold_ = 0;
    uint32_t lastTick_ = 0;
    bool assistantShown_ = false;
    bool enableScan_ = true;
    bool enableAssit_ = true;
    bool showAssit_ = true;
    bool showClean_ = true;
    bool fullScreen_ = false;
    bool suppressed_ = false;
};
