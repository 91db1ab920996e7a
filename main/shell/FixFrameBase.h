// Every window of the main program: a frameless dialog with a title bar on top and the one page
// its page type names below it. The frame of page type 2 is the main window: it hosts the home
// page, owns the junk monitor and the tray icon, and hears of device arrival and full-screen
// applications. The home page builds the other frames, one per tool, and runs them modally.
#pragma once

#include "FixTitleBase.h"

#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

#include <atomic>
#include <functional>
#include <memory>

class CFuncThread;
class CGarbageScanMgr;
class CShowThread;

class CFixFrameBase : public QDialog {
    Q_OBJECT
public:
    CFixFrameBase(int pageType, QWidget* parent);
    ~CFixFrameBase() override;

    // Hands the program's start-up words to the junk monitor (main window only).
    void StartMonitor(bool autostart, bool autoscan);
    // Shows the main window, or, when started at log-in, hides it to the tray.
    void ShowMain(bool autostart);
    // Made once; later calls change nothing while it exists.
    void CreateTrayIcon();
    // Asks whether the desktop has a system tray: QSystemTrayIcon's answer unless replaced.
    void SetTrayProbe(std::function<bool()> probe) { trayProbe_ = std::move(probe); }
    // Starts a program of the program folder through the shell (null verb: the default one).
    void RunBesideProgram(const wchar_t* verb, const wchar_t* parameters, const char* fileName);

    int GetPageType() const { return pageType_; }
    QWidget* GetPage() const { return page_; }
    CFixTitleBase* GetTitleBar() const { return titleBar_; }
    CGarbageScanMgr* GetScanMgr() const { return scanMgr_; }
    QSystemTrayIcon* GetTrayIcon() const { return trayIcon_; }

    // Set by "Exit", by a quit request and when the frame goes. A thread that polls it keeps the
    // flag itself, so it stays valid after the frame is destroyed.
    std::shared_ptr<const std::atomic<bool>> StopFlag() const { return stop_; }

signals:
    void sigUpdateDrivers();
    void emitNotifyUpdate(bool);

public slots:
    void slotShowAction();
    void ScanGarbage();
    void CleanGarbage();
    void slotUpdateDrivers();
    void slotActiveSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void slotExitAction();
    void slotTitleBtnClicked(int id);
    // The junk monitor marks the end of the Windows session (called by the session-end filter).
    void OnSessionEnd();
    // Another process asked this copy to quit: the event loop ends with 0.
    void slotQuitRequest();

    // Ends the frame's run; while a clean-up page works, asks the page to stop first and ends the
    // run once the page reports that its work is over.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The desktop's close of the main window puts it away as its close button does.
    void closeEvent(QCloseEvent* event) override;
    // Without a tray the minimised main window stands for the tray icon: bringing it back is the
    // show action.
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;

private slots:
    // A clean-up page's "WorkStart": the frame's busy state.
    void slotPageWorking(bool working);

private:
    void BuildMainParts();
    // The main window hears of USB devices arriving and leaving.
    void RegisterForDevices();
    void BuildPage();
    void ConnectPage();
    // The title bar follows a clean-up page's window name and, with lockClose, keeps the frame
    // from closing while the page works; the frame's busy state follows the page's work.
    void FollowCleanupPage(QWidget* page, bool lockClose);
    void ReportShownOnce();
    void RunCleanupRequest(bool clean);
    // Out of the way: hidden to the tray, or minimised where no tray would bring it back.
    void PutAway();

    CFixTitleBase* titleBar_ = nullptr;
    QWidget* page_ = nullptr;
    CGarbageScanMgr* scanMgr_ = nullptr;
    int pageType_;
    // The room of the log-in frame's shadow where the desktop shows it, else none.
    int shadow_;
    std::shared_ptr<std::atomic<bool>> stop_;
    QPointer<QSystemTrayIcon> trayIcon_;
    QPointer<QMenu> trayMenu_;
    QPointer<QAction> showAction_;
    QPointer<QAction> exitAction_;
    std::function<bool()> trayProbe_ = &QSystemTrayIcon::isSystemTrayAvailable;
    // Made with the home page and never deleted: the show-request thread ends within a step of the
    // stop flag, the job after an update after its single pass.
    QPointer<CShowThread> showThread_;
    QPointer<CFuncThread> funcThread_;
    // A clean-up page works; the run ends, with closeResult_, once it no longer does.
    bool working_ = false;
    bool closeWhenIdle_ = false;
    int closeResult_ = 0;
};
