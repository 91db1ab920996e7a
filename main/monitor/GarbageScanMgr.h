// The main program's background junk monitor. While the main window sits hidden in the tray it
// asks the clean-up library for a junk analysis every ScanInterval seconds, unless the processor
// is busy, a full-screen application runs, the user closed a junk pop-up, or a pop-up or the main
// window is in sight. It keeps the user's monitor settings in "GarbageClean.ini" of the program
// folder, and marks the end of a Windows session with "shutdown.tmp" in its resource folder.
// One monitor exists, made by the main window with itself as parent.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>

class CGarbageScanMgr : public QObject {
    Q_OBJECT
public:
    explicit CGarbageScanMgr(QObject* parent);

    // Called once with the program's start-up words ("autostart", "autoscan"): registers the
    // scan-result callback with the system-clean export object, asks for an analysis in the main
    // window when started with "autoscan", arms the scan timer, removes a leftover shutdown marker
    // and starts the shutdown check. A start at log-in is treated as any other start.
    void StartMonitor(bool bAutoStart, bool bAutoScan);
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
    // The server's switches for the start-up assistant and the background scan.
    bool GetEnableAssit() const { return enableAssit_; }
    bool GetEnableScan() const { return enableScan_; }

    // The per-user resource folder (Windows path ending in a backslash; empty when unknown).
    QString ResourceFolder() const { return resDir_; }
    bool IsScanTimerActive() const { return scanTimer_->isActive(); }

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

private:
    void LoadConfig();
    void WriteSetting(const wchar_t* key, const QString& value) const;
    QString MarkerPath() const;
    bool IsPopupVisible() const;
    bool IsMainWindowVisible() const;

    uint64_t prevIdle_ = 0;
    uint64_t prevKernel_ = 0;
    uint64_t prevUser_ = 0;
    QString resDir_;
    QStringList lvTexts_;
    // The start-up assistant pop-up and the junk-found pop-up.
    QPointer<QWidget> starUpWnd_;
    QPointer<QWidget> junkWnd_;
    QTimer* shutDownTimer_;
    QTimer* cpuTimer_;
    QTimer* scanTimer_;
    int scanInterval_ = 5000;
    int shutDownInterval_ = 5000;
    int cpuLoad_ = 0;
    int cleanLv_ = 1;
    int cpuLimit_ = 50;
    std::array<qint64, 6> lvSizes_ {};
    qint64 threshold_ = 0;
    uint32_t lastTick_ = 0;
    bool enableScan_ = true;
    bool enableAssit_ = true;
    bool showAssit_ = true;
    bool showClean_ = true;
    bool fullScreen_ = false;
    bool suppressed_ = false;
};
