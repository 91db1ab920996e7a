#include "IconTray.h"

#include "ElevatedRestart.h"
#include "IconTrayMenu.h"
#include "TrayTipDlg.h"

#include "async/AsynExecT0.h"
#include "services/UIPublic.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

namespace {

constexpr int kTickMs = 10;
constexpr int kFixedDrive = 3;
constexpr double kLowFreePercent = 20.0;
constexpr int kOpenEntry = 0;
constexpr int kExitIndex = 1;

bool TipsOff()
{
    const QVariant notShow = CUIPublic::GetUserSetting(QStringLiteral("notshowTip"));
    return notShow.isValid() && notShow.toBool();
}

} // namespace

CIconTray::CIconTray(const QIcon& icon, QObject* parent)
    : QSystemTrayIcon(icon, parent), menu(new CIconTrayMenu), restart([](int page) { RestartElevated(page); })
{
    qRegisterMetaType<IBigFileCatagory*>("IBigFileCatagory*");
    setToolTip(tr("System Cleanup"));
    connect(&timer, &QTimer::timeout, this, &CIconTray::onTimeOut);
    menu->AddItems({tr("Open"), tr("Exit")});
    connect(menu, &CIconTrayMenu::itemActivated, this, &CIconTray::onItemActivated);
    connect(this, &QSystemTrayIcon::activated, this, &CIconTray::onActivated);
    connect(this, qOverload<quint64>(&CIconTray::showTip), this, qOverload<quint64>(&CIconTray::onShowTip));
    connect(this, qOverload<IBigFileCatagory*>(&CIconTray::showTip), this,
            qOverload<IBigFileCatagory*>(&CIconTray::onShowTip));
    setContextMenu(menu);
}

CIconTray::~CIconTray()
{
    stopped = true;
    timer.stop();
    delete tip;
    delete menu;
}

void CIconTray::StartCheck(int delaySeconds, double thresholdMB)
{
    timer.setInterval(kTickMs);
    timer.start();
    remainingMs = static_cast<qint64>(delaySeconds) * 1000;
    // A threshold beyond what 64 bits count is one that no junk reaches.
    const double bytes = thresholdMB * 1024.0 * 1024.0;
    thresholdBytes = bytes >= 0x1p64 ? std::numeric_limits<quint64>::max() : bytes > 0 ? static_cast<quint64>(bytes) : 0;
}

void CIconTray::StopCheck()
{
    stopped = true;
    timer.stop();
}

void CIconTray::onTimeOut()
{
    // The check waits in a polling loop on this thread, which delivers this timer again.
    if (checking)
        return;
    remainingMs -= timer.interval();
    if (remainingMs > 0)
        return;
    checking = true;
    CAsynExecT0<CIconTray> executer(this, QString(), this, &CIconTray::Check);
    executer.Exec();
    checking = false;
    timer.stop();
}

int CIconTray::Check()
{
    CUIPublic* services = CUIPublic::Instance();
    if (IDregsweep* junk = services->GetDregsweep())
        junk->CollectGarbage(this);
    if (IBulkseek* drives = services->GetBulkseek())
        drives->GetCatagories(this);
    return 0;
}

bool CIconTray::OnScanProgress(int, int) { return !stopped; }

bool CIconTray::OnGarbageFound(std::wstring, uint64_t size, IDregsweepCatagory*)
{
    foundSize += size;
    if (foundSize >= thresholdBytes) {
        emit showTip(static_cast<quint64>(foundSize));
        return false;
    }
    return !stopped;
}

bool CIconTray::OnCloseProcess(std::wstring, const DWORD*, int) { return !stopped; }

bool CIconTray::OnGarbageCleaned(std::wstring, uint64_t, IDregsweepCatagory*) { return true; }

bool CIconTray::OnCatagory(IBigFileCatagory* catagory)
{
    if (!catagory)
        return true;
    const _BigFileItem_Info_* info = catagory->GetInfo();
    if (!info || info->type != kFixedDrive || info->totalBytes == 0)
        return true;
    const double freePercent = static_cast<double>(info->totalBytes - std::min(info->usedBytes, info->totalBytes)) /
                               static_cast<double>(info->totalBytes) * 100.0;
    if (freePercent >= kLowFreePercent)
        return true;
    // The tip reads the drive on the GUI thread, after the enumeration may have let it go.
    catagory->AddRef();
    emit showTip(catagory);
    return false;
}

bool CIconTray::OnGarbage(IBigFileGarbageInfo*) { return false; }

bool CIconTray::OnProgress(int, int) { return true; }

bool CIconTray::OnScanFile(IBigFileGarbageInfo*, std::wstring, int, double) { return false; }

bool CIconTray::OnSameFile(IBigFileGarbageInfo*, IBigFileGarbageInfo*) { return false; }

bool CIconTray::OnUnusedEvent(int, int, int) { return false; }

bool CIconTray::OnEmptyGarbage(IBigFileGarbageInfo*, bool, int, std::wstring) { return false; }

void CIconTray::onShowTip(quint64 size)
{
    ShowTip([size]() { return new CTrayTipDlg(size); });
}

void CIconTray::onShowTip(IBigFileCatagory* catagory)
{
    ShowTip([catagory]() { return new CTrayTipDlg(catagory); });
    if (catagory)
        catagory->Release();
}

void CIconTray::ShowTip(const std::function<CTrayTipDlg*()>& make)
{
    // Once the user opened the program or stopped the check, no tip may pop up any more.
    if (stopped || TipsOff())
        return;
    if (!tip) {
        tip = make();
        connect(tip, &CTrayTipDlg::showCleanup, this, &CIconTray::onShowCleanup);
        connect(tip, &CTrayTipDlg::exitApp, this, &CIconTray::onExitApp);
        tipShown = false;
    }
    if (!tipShown) {
        tip->PlaceAndShow();
        tipShown = true;
    } else {
        // A window's modality only takes when it is shown anew.
        tip->hide();
        tip->exec();
    }
}

void CIconTray::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick) {
        stopped = true;
        OpenCleanup(0);
    }
}

void CIconTray::onItemActivated(int iIndex)
{
    if (iIndex == kOpenEntry) {
        stopped = true;
        OpenCleanup(0);
        return;
    }
    emit activate(iIndex);
}

void CIconTray::onExitApp() { emit activate(kExitIndex); }

void CIconTray::onShowCleanup(int page) { OpenCleanup(page); }

void CIconTray::OpenCleanup(int page)
{
    restart(page);
    QCoreApplication::quit();
}
