#include "FixFrameBase.h"

#include "AdminCheck.h"
#include "CleanupExports.h"
#include "FixHomePage.h"
#include "FixPageId.h"
#include "FuncThread.h"
#include "HomeFrame.h"
#include "ShowThread.h"
#include "ToolPages.h"

#include "GarbageScanMgr.h"
#include "GetDriverInfo.h"

#include "Paneforge/Util.h"
#include "common/AnsiText.h"
#include "common/MachinePicture.h"
#include "common/ModuleDir.h"
#include "common/SendInfo.h"
#include "common/WindowGround.h"
#include "common/WriteLog.h"
#include "platform/Windows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The application-bar callback message through which Windows reports full-screen applications.
constexpr UINT kAppBarMessage = 10086;

// The log-in frame: the room of its shadow around it, and the width of its form right of its picture.
constexpr int kLoginShadow = 11;
constexpr int kLoginFormWidth = 370;

// Once per run, whichever frame asks.
bool g_launchClickIconPending = true;
bool g_updateNoticePending = true;
bool g_showRelaunched = false;
bool g_scanRelaunchPending = true;

struct PageLook {
    int pageType;
    const char* title; // null: no title set here
    int titleStyle;    // 0: the first title bar stays; else a title bar of this style, close button only
};

const PageLook kLooks[] = {
    {PAGE_WRITE_PROTECTION, QT_TRANSLATE_NOOP("CFixFrameBase", "Write Protection"), 0},
    {PAGE_WINDOWS_UPDATE, QT_TRANSLATE_NOOP("CFixFrameBase", "Windows Update"), 0},
    {PAGE_FILE_SHOWING, QT_TRANSLATE_NOOP("CFixFrameBase", "File Showing"), 0},
    {PAGE_LOGIN, nullptr, 2},
    {PAGE_LETTER, nullptr, 5},
    {PAGE_SYSTEM_CLEANUP, QT_TRANSLATE_NOOP("CFixFrameBase", "System Cleanup"), 0},
    {PAGE_LARGE_FILE_CLEANUP, QT_TRANSLATE_NOOP("CFixFrameBase", "Large file Cleanup"), 0},
};

// Types without a page (0, 1, 6, 8) look like a tool frame without a title.
const PageLook kNoPageLook = {0, nullptr, 0};

const PageLook& LookOf(int pageType)
{
    for (const PageLook& look : kLooks)
        if (look.pageType == pageType)
            return look;
    return kNoPageLook;
}

CFixFrameBase* HomeFrame()
{
    return qobject_cast<CFixFrameBase*>(GetHomeFrame());
}

} // namespace

CFixFrameBase::CFixFrameBase(int pageType, QWidget* parent)
    : QDialog(parent),
      pageType_(pageType),
      shadow_(pageType == PAGE_LOGIN ? ShadowMargin(kLoginShadow) : 0),
      stop_(std::make_shared<std::atomic<bool>>(false))
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    SetWindowGround(this);

    titleBar_ = new CFixTitleBase(1, pageType, this);
    if (pageType == PAGE_HOME) {
        BuildMainParts();
    } else {
        const PageLook& look = LookOf(pageType);
        titleBar_->slotSetShowFlags(TITLE_SHOW_TITLE | TITLE_SHOW_LOGO | TITLE_SHOW_CLOSE);
        if (look.title)
            titleBar_->SetTitle(tr(look.title));
        if (look.titleStyle) {
            titleBar_->deleteLater();
            titleBar_ = new CFixTitleBase(look.titleStyle, pageType, this);
            titleBar_->slotSetShowFlags(TITLE_SHOW_CLOSE);
        }
    }
    BuildPage();
    if (HomeFrame())
        ConnectPage();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(titleBar_, 0, Qt::AlignVCenter);
    layout->addSpacing(0);
    if (page_)
        layout->addWidget(page_);
    if (pageType == PAGE_LOGIN)
        layout->setContentsMargins(shadow_, shadow_, shadow_, shadow_);
    if (pageType == PAGE_HOME)
        RegisterForDevices();
}

CFixFrameBase::~CFixFrameBase()
{
    stop_->store(true);
    // The main window goes only at the end of the run: its threads end first (the show-request
    // thread within a step), so that none runs on while the process ends; they have no parent, so
    // the window deletes them.
    for (QThread* thread : {static_cast<QThread*>(showThread_), static_cast<QThread*>(funcThread_)}) {
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
}

void CFixFrameBase::BuildMainParts()
{
    scanMgr_ = new CGarbageScanMgr(this);
    connect(scanMgr_, &CGarbageScanMgr::sigAutoScan, this, &CFixFrameBase::ScanGarbage);
    connect(scanMgr_, &CGarbageScanMgr::sigAutoClean, this, &CFixFrameBase::CleanGarbage);
    // Windows tells an application bar when a full-screen application comes and goes.
    APPBARDATA bar {};
    bar.cbSize = sizeof(bar);
    bar.hWnd = reinterpret_cast<HWND>(winId());
    bar.uCallbackMessage = kAppBarMessage;
    SHAppBarMessage(ABM_NEW, &bar);
}

void CFixFrameBase::RegisterForDevices()
{
    const HWND window = reinterpret_cast<HWND>(winId());
    if (!window)
        return;
    DEV_BROADCAST_DEVICEINTERFACE_W filter {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = GUID_DEVINTERFACE_USB_DEVICE;
    RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void CFixFrameBase::BuildPage()
{
    switch (pageType_) {
    case PAGE_HOME: {
        SetHomeFrame(this);
        auto* home = new CFixHomePage(this);
        home->SetScanMgr(scanMgr_);
        page_ = home;
        showThread_ = new CShowThread(this);
        funcThread_ = new CFuncThread(this);
        showThread_->start(QThread::InheritPriority);
        funcThread_->start(QThread::InheritPriority);
        break;
    }
    case PAGE_SYSTEM_CLEANUP:
        if (IExportWidget* cleanup = MakeCleanupExport(pageType_, this))
            page_ = cleanup->GetSysCleanWidget();
        break;
    case PAGE_LARGE_FILE_CLEANUP:
        if (IExportWidget* cleanup = MakeCleanupExport(pageType_, this))
            page_ = cleanup->GetLargeFileWidget();
        break;
    default:
        page_ = CreateToolPage(pageType_, this);
        break;
    }
}

void CFixFrameBase::ConnectPage()
{
    CFixTitleBase* homeTitle = HomeFrame()->GetTitleBar();
    switch (pageType_) {
    case PAGE_HOME:
        connect(titleBar_, SIGNAL(SigTitleBtnClicked(int)), this, SLOT(slotTitleBtnClicked(int)));
        // Queued: the offer opens from the event loop once the window has been shown.
        connect(this, SIGNAL(emitNotifyUpdate(bool)), titleBar_, SLOT(slotActionUpdateClicked(bool)),
                Qt::QueuedConnection);
        if (auto* home = qobject_cast<CFixHomePage*>(page_)) {
            connect(titleBar_, SIGNAL(UserMgt(int)), home, SLOT(slotLoginActionClicked(int)));
            connect(titleBar_, &CFixTitleBase::sigShowSettings, home, &CFixHomePage::OpenSettings);
        }
        break;
    case PAGE_LOGIN:
        if (page_) {
            connect(page_, SIGNAL(sigLogin(int)), homeTitle, SLOT(slotLoginSig(int)));
            connect(titleBar_, SIGNAL(SigTitleBtnClicked(int)), page_, SLOT(slotTitleClicked(int)));
            connect(homeTitle, SIGNAL(UserMgt(int)), page_, SLOT(slotClearLogin(int)));
        }
        break;
    case PAGE_SYSTEM_CLEANUP:
        if (IExportWidget* cleanup = GetSysCleanExport(); cleanup && page_)
            FollowCleanupPage(cleanup->GetPage(2), true);
        break;
    case PAGE_LARGE_FILE_CLEANUP:
        if (IExportWidget* cleanup = GetLargeFileExport(); cleanup && page_) {
            FollowCleanupPage(cleanup->GetPage(3), true);
            FollowCleanupPage(cleanup->GetPage(4), false);
        }
        break;
    default:
        break;
    }
}

void CFixFrameBase::FollowCleanupPage(QWidget* page, bool lockClose)
{
    if (!page)
        return;
    connect(page, "2WorkStart(bool )", this, SLOT(slotPageWorking(bool)));
    if (lockClose)
        connect(page, "2WorkStart(bool )", titleBar_, SLOT(slotCloseDisable(bool)));
    connect(page, "2CurWindowName(const QString&)", titleBar_, SLOT(slotCurWindowName(const QString&)));
}

void CFixFrameBase::slotPageWorking(bool working)
{
    working_ = working;
    if (!working && closeWhenIdle_) {
        closeWhenIdle_ = false;
        QDialog::done(closeResult_);
    }
}

void CFixFrameBase::done(int result)
{
    if (!working_) {
        QDialog::done(result);
        return;
    }
    // The page's worker runs beneath this call (the page pumps events while it waits for it): the
    // frame stays open until the stopped worker has ended, and its run ends only then.
    closeResult_ = result;
    if (!closeWhenIdle_) {
        closeWhenIdle_ = true;
        WriteLog(L"frame %d closed while its page works: the page is stopped first", pageType_);
        QMetaObject::invokeMethod(page_, "CancelAll");
    }
}

void CFixFrameBase::StartMonitor(bool autostart, bool autoscan)
{
    if (scanMgr_)
        scanMgr_->StartMonitor(autostart, autoscan);
}

void CFixFrameBase::ReportShownOnce()
{
    S_LOCAL_CFG local;
    Util::getDravielsLocalCfgInfo(local);
    if (g_launchClickIconPending) {
        g_launchClickIconPending = false;
        SendInfoEvent("Home", "Info_Start", nullptr, "Launch_Click_Icon");
    }
    if (g_updateNoticePending && local.iUpdate == 2) {
        g_updateNoticePending = false;
        emit emitNotifyUpdate(false);
    }
}

void CFixFrameBase::ShowMain(bool autostart)
{
    if (pageType_ != PAGE_HOME)
        return;
    show();
    if (autostart) {
        PutAway();
        return;
    }
    ReportShownOnce();
}

void CFixFrameBase::CreateTrayIcon()
{
    if (trayIcon_)
        return;
    trayIcon_ = new QSystemTrayIcon(ReadIcon(Util::getDravielsResFullPath(QStringLiteral("icon.ico"))), this);
    trayIcon_->setToolTip(tr("Left-click or double-click to show main interface"));
    connect(trayIcon_, &QSystemTrayIcon::activated, this, &CFixFrameBase::slotActiveSysTrayIcon);

    showAction_ = new QAction(ReadIcon(QStringLiteral("./res/tray_show.png")), tr("Show"), this);
    connect(showAction_, &QAction::triggered, this, &CFixFrameBase::slotShowAction);
    exitAction_ = new QAction(ReadIcon(QStringLiteral("./res/tray_exit.png")), tr("Exit"), this);
    connect(exitAction_, &QAction::triggered, this, &CFixFrameBase::slotExitAction);

    trayMenu_ = new QMenu(this);
    trayMenu_->addAction(showAction_);
    trayMenu_->addSeparator();
    trayMenu_->addAction(exitAction_);
    trayIcon_->setContextMenu(trayMenu_);
    trayIcon_->show();
}

void CFixFrameBase::RunBesideProgram(const wchar_t* verb, const wchar_t* parameters, const char* fileName)
{
    const std::wstring file = GetModuleDir() + FromAnsi(fileName);
    SHELLEXECUTEINFOW info {};
    info.cbSize = sizeof(info);
    info.lpVerb = verb;
    info.lpFile = file.c_str();
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
}

void CFixFrameBase::slotActiveSysTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        slotShowAction();
}

void CFixFrameBase::slotShowAction()
{
    if (showAction_ && sender() == showAction_)
        SendInfoEvent("Tray", "Click_Show", nullptr, nullptr);
    if (!IsRunAsAdmin()) {
        // Only an elevated copy shows its window: the updater starts one.
        if (!g_showRelaunched) {
            g_showRelaunched = true;
            RunBesideProgram(nullptr, nullptr, "Renewer.exe");
            QCoreApplication::exit(0);
        }
        return;
    }
    if (IExportWidget* cleanup = GetSysCleanExport())
        cleanup->StopWork();
    if (scanMgr_)
        scanMgr_->HidePopWnds();
    emit sigUpdateDrivers();
    ReportShownOnce();
    activateWindow();
    showNormal();
}

void CFixFrameBase::slotExitAction()
{
    SendInfoEvent("Tray", "Click_Exit", nullptr, nullptr);
    stop_->store(true);
    QCoreApplication::exit(0);
}

void CFixFrameBase::slotQuitRequest()
{
    stop_->store(true);
    QCoreApplication::exit(0);
}

void CFixFrameBase::slotTitleBtnClicked(int id)
{
    if (id == TITLE_BTN_CLOSE)
        PutAway();
    else if (id == TITLE_BTN_MIN && windowState() != Qt::WindowMinimized)
        setWindowState(Qt::WindowMinimized);
}

void CFixFrameBase::PutAway()
{
    // A hidden window without a tray icon could be reached by nothing: a second start ends on the
    // instance mutex, so the program could only be killed.
    if (!trayProbe_()) {
        if (windowState() != Qt::WindowMinimized)
            setWindowState(Qt::WindowMinimized);
        return;
    }
    hide();
    CreateTrayIcon();
}

void CFixFrameBase::RunCleanupRequest(bool clean)
{
    if (!IsRunAsAdmin()) {
        // Only an elevated copy scans: the updater starts one that scans at once.
        if (g_scanRelaunchPending) {
            g_scanRelaunchPending = false;
            RunBesideProgram(nullptr, L"autoscan", "Renewer.exe");
            QCoreApplication::exit(0);
        }
        return;
    }
    activateWindow();
    showNormal();
    if (auto* home = qobject_cast<CFixHomePage*>(page_)) {
        if (clean)
            home->RequestClean();
        else
            home->RequestScan();
    }
}

void CFixFrameBase::ScanGarbage()
{
    RunCleanupRequest(false);
}

void CFixFrameBase::CleanGarbage()
{
    RunCleanupRequest(true);
}

void CFixFrameBase::slotUpdateDrivers()
{
    // The repair pages that list drives refresh their drive box.
    if (page_ && (pageType_ == PAGE_WRITE_PROTECTION || pageType_ == PAGE_FILE_SHOWING))
        QMetaObject::invokeMethod(page_, "UpdateCombox");
}

void CFixFrameBase::OnSessionEnd()
{
    if (scanMgr_)
        scanMgr_->MarkShutDown();
}

void CFixFrameBase::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close a frame and Enter presses no default button.
    event->ignore();
}

void CFixFrameBase::closeEvent(QCloseEvent* event)
{
    // As the session ends its manager closes every window, and a window that refused would keep
    // the session from ending.
    if (pageType_ != PAGE_HOME || qApp->isSavingSession()) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    PutAway();
}

void CFixFrameBase::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (pageType_ != PAGE_HOME || event->type() != QEvent::WindowStateChange)
        return;
    const bool restored = (static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized) &&
                          !(windowState() & Qt::WindowMinimized);
    if (!restored || trayProbe_())
        return;
    // As a click on the tray icon: the background work and the pop-ups give way to the window, and
    // a copy without rights, which never shows its window, asks the updater for an elevated copy.
    if (!IsRunAsAdmin())
        setWindowState(windowState() | Qt::WindowMinimized);
    slotShowAction();
}

void CFixFrameBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    if (pageType_ != PAGE_LOGIN) {
        painter.setBrush(QColor(QStringLiteral("#20242f")));
        painter.drawRoundedRect(rect(), 12, 12);
        return;
    }
    if (shadow_)
        painter.drawPixmap(rect(), CachedPicture(Util::getDravielsResFullPath(QStringLiteral("shadow.png"))));
    const QRect picture = rect().adjusted(shadow_, shadow_, -(kLoginFormWidth + shadow_), -shadow_);
    painter.drawPixmap(picture, CachedPicture(Util::getDravielsResFullPath(QStringLiteral("pic_signup.png"))));
    const QRect form = picture.adjusted(270, 0, 20, 0);
    painter.fillRect(form, QColor(QStringLiteral("#272d3b")));
    painter.setBrush(QColor(QStringLiteral("#272d3b")));
    painter.drawRoundedRect(form.adjusted(0, 0, 350, 0), 12, 12);
}

bool CFixFrameBase::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    if (pageType_ != PAGE_HOME || eventType != "windows_generic_MSG" || !message)
        return QDialog::nativeEvent(eventType, message, result);
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_DEVICECHANGE) {
        if (msg->wParam == DBT_DEVICEARRIVAL)
            WriteLog(L"DBT_DEVICEARRIVAL");
        // A pulled stick must leave the drive boxes too, or a tool would be offered a drive that is gone.
        if (msg->wParam == DBT_DEVICEARRIVAL || msg->wParam == DBT_DEVICEREMOVECOMPLETE)
            CGetDriverInfo::GetInstance()->GetDriverList(true);
        emit sigUpdateDrivers();
        return true;
    }
    if (msg->message == kAppBarMessage) {
        if (msg->wParam == ABN_FULLSCREENAPP && scanMgr_)
            scanMgr_->SetFullScreen(msg->lParam == 1);
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
