// The stand-alone program's tray icon. In the background mode it waits the given delay, then
// checks once for junk above the threshold and for a fixed drive under a fifth free, and shows
// the tip that fits. Opening the program from the tray restarts it elevated and ends this copy.
#pragma once

#include "IDregsweep.h"
#include "async/AsyncObj.h"
#include "jex_main/large_file_gatherer/IBulkseek.h"

#include <QSystemTrayIcon>
#include <QTimer>

#include <atomic>
#include <functional>

class CIconTrayMenu;
class CTrayTipDlg;

class CIconTray : public QSystemTrayIcon, public IDregsweepSink, public IBulkseekSink, public CAsyncObj {
    Q_OBJECT
public:
    CIconTray(const QIcon& icon, QObject* parent);
    ~CIconTray() override;

    void StartCheck(int delaySeconds, double thresholdMB);
    void StopCheck();
    // Restarts the program elevated on the page, then quits the application.
    void OpenCleanup(int page);

    CIconTrayMenu* Menu() const { return menu; }
    CTrayTipDlg* Tip() const { return tip; }
    bool IsStopped() const { return stopped; }
    // Whether the countdown to the check runs.
    bool IsCounting() const { return timer.isActive(); }
    quint64 ThresholdBytes() const { return thresholdBytes; }

    // The restart that OpenCleanup makes; tests put a recorder in its place.
    using Restarter = std::function<void(int page)>;
    void SetRestarter(Restarter restarter) { restart = std::move(restarter); }

    // IDregsweepSink, on the check's worker thread.
    bool OnScanProgress(int percent, int reserved) override;
    bool OnGarbageFound(std::wstring name, uint64_t size, IDregsweepCatagory* category) override;
    bool OnCloseProcess(std::wstring appName, const DWORD* processIds, int reserved) override;
    bool OnGarbageCleaned(std::wstring name, uint64_t size, IDregsweepCatagory* category) override;
    // IBulkseekSink, on the same thread.
    bool OnCatagory(IBigFileCatagory* catagory) override;
    bool OnGarbage(IBigFileGarbageInfo* item) override;
    bool OnProgress(int beginPercent, int endPercent) override;
    bool OnScanFile(IBigFileGarbageInfo* item, std::wstring path, int marker, double fraction) override;
    bool OnSameFile(IBigFileGarbageInfo* item, IBigFileGarbageInfo* firstCopy) override;
    bool OnUnusedEvent(int, int, int) override;
    bool OnEmptyGarbage(IBigFileGarbageInfo* item, bool deleted, int percent, std::wstring failInfo) override;

    // The tray lives as long as its window, never through references.
    long AddRef() override { return 1; }
    long Release() override { return 1; }

signals:
    void activate(int index);
    void showTip(quint64 size);
    void showTip(IBigFileCatagory* catagory);
    void showCleanup(int page);

public slots:
    void onTimeOut();
    void onItemActivated(int iIndex);
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onShowTip(quint64 size);
    void onShowTip(IBigFileCatagory* catagory);
    void onExitApp();
    void onShowCleanup(int page);

private:
    int Check();
    // Shows the one tip: placed the first time, modal after that.
    void ShowTip(const std::function<CTrayTipDlg*()>& make);

    QTimer timer;
    quint64 foundSize = 0; // the worker's alone
    quint64 thresholdBytes = 0;
    std::atomic<bool> stopped{false};
    CTrayTipDlg* tip = nullptr;
    bool tipShown = false;
    qint64 remainingMs = 0;
    bool checking = false;
    CIconTrayMenu* menu;
    Restarter restart;
};

Q_DECLARE_METATYPE(IBigFileCatagory*)
