#include "MainWindow.h"

#include "Host.h"
#include "HomePage.h"

#include "diskopt/DiskOptPage.h"
#include "junk/SelectScanPage.h"
#include "kit/FrameTitle.h"
#include "kit/ResPicture.h"
#include "largefile/LFCleanPage.h"
#include "largefile/LFDiskSelScanPage.h"
#include "wizard/PageWizard.h"

#include "platform/win/Sync.h"
#include "platform/win/WindowManager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

constexpr int kQuitPollMs = 80;
constexpr int kOpenPage = 1;
constexpr int kLastPage = 5;
constexpr int kLongestMinutes = std::numeric_limits<int>::max() / 60;
const QColor kTitleStrip("#1c202a");

QIcon ProgramIcon() { return ResIcon(QStringLiteral("48_48_8.ico")); }

} // namespace

CMainWindow::CMainWindow(QWidget* parent) : QMainWindow(parent), tray(ProgramIcon(), nullptr)
{
    setWindowTitle(tr("System Cleanup"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(690, 470);
    setContentsMargins(0, 0, 0, 0);
    // The window has no frame of the desktop's; its own title strip moves and closes it.
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* title = new CFrameTitle(this);
    title->SetTitle(windowTitle());
    // The strip keeps the dark of the page headers below it, for which its text is drawn.
    QPalette strip = title->palette();
    strip.setColor(QPalette::Window, kTitleStrip);
    title->setPalette(strip);
    title->setAutoFillBackground(true);
    connect(title, &CFrameTitle::TitleBtnClicked, this, &QWidget::close);
    column->addWidget(title);
    wizard = new CPageWizard;
    wizard->AddPage(new CHomePage);
    wizard->AddPage(new CSelectScanPage);
    wizard->AddPage(new CLFDiskSelScanPage);
    wizard->AddPage(new CLFCleanPage);
    wizard->AddPage(new CDiskOptPage);
    column->addWidget(wizard);
    setCentralWidget(central);
    connect(&tray, &CIconTray::activate, this, &CMainWindow::onIconTrayActivate);
    connect(&quitTimer, &QTimer::timeout, this, &CMainWindow::onTimeOut);
    quitTimer.setInterval(kQuitPollMs);
    quitTimer.start();
    setAttribute(Qt::WA_NativeWindow);
    setWindowFlags(Qt::FramelessWindowHint);
}

CMainWindow::~CMainWindow() = default;

void CMainWindow::SetApplication(QApplication* app) { application = app; }

void CMainWindow::StartCheck(int minutes, double thresholdMB)
{
    connect(&tray, &CIconTray::showCleanup, this, &CMainWindow::onShowCleanup, Qt::UniqueConnection);
    tray.show();
    // Minutes whose seconds no int holds wait as long as the longest delay the tray can count.
    tray.StartCheck(std::clamp(minutes, 0, kLongestMinutes) * 60, thresholdMB);
}

void CMainWindow::ShowPage(int pageId)
{
    if (wizard && pageId >= 0 && pageId <= kLastPage)
        wizard->Navigate(pageId);
}

void CMainWindow::ShowAll()
{
    for (int id = 1; id <= kLastPage; ++id)
        if (auto* page = qobject_cast<CPage*>(wizard->GetPage(id)))
            page->SetShown(true);
    // Brought to the top without a change of flags: on X11 a change of flags gives the window a
    // new native window, and a copy that just found the old one would send its request nowhere.
    showNormal();
    raise();
    activateWindow();
}

void CMainWindow::QuitApp()
{
    wizard->CancelAll();
    if (application)
        QCoreApplication::exit(0);
}

void CMainWindow::onIconTrayActivate(int iIndex)
{
    if (iIndex == 0) {
        hideOnClose = true;
        ShowAll();
    } else if (application) {
        QCoreApplication::exit(0);
    }
}

void CMainWindow::onShowCleanup(int pageId)
{
    hideOnClose = true;
    ShowAll();
    wizard->Navigate(pageId);
}

void CMainWindow::onTimeOut()
{
    HANDLE quit = HostQuitEvent();
    if (quit && WaitForSingleObject(quit, 0) == WAIT_OBJECT_0) {
        // Taken once: the event outlives this copy while the copy that set it holds it.
        ResetEvent(quit);
        QuitApp();
    }
}

void CMainWindow::closeEvent(QCloseEvent* event)
{
    if (hideOnClose) {
        // Without a tray nothing on the screen would lead back to a hidden window.
        if (trayProbe())
            hide();
        else
            showMinimized();
        event->ignore();
        return;
    }
    wizard->CancelAll();
    QMainWindow::closeEvent(event);
    if (application)
        QCoreApplication::exit(0);
}

void CMainWindow::paintEvent(QPaintEvent* event)
{
    // White: the home page's large buttons draw their captions and hover frame for it; the other
    // pages paint a look of their own over it.
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.fillRect(rect(), Qt::white);
    QMainWindow::paintEvent(event);
}

bool CMainWindow::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    const auto* msg = static_cast<const MSG*>(message);
    if (eventType != "windows_generic_MSG" || !msg)
        return QMainWindow::nativeEvent(eventType, message, result);
    if (msg->message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(msg->lParam);
        const BYTE request = data && data->cbData && data->lpData ? *static_cast<const BYTE*>(data->lpData) : CopyShow;
        if (request == CopyQuit)
            QuitApp();
        else if (request == CopyOpen)
            tray.OpenCleanup(kOpenPage);
        else
            ShowAll();
        if (result)
            *result = TRUE;
        return true;
    }
    if (msg->message == WM_PAINT && !isVisible()) {
        hideOnClose = false;
        tray.hide();
        tray.StopCheck();
        ShowAll();
    }
    return QMainWindow::nativeEvent(eventType, message, result);
}
