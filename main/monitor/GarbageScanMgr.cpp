#include "GarbageScanMgr.h"

#include "GarbageCleanWnd.h"
#include "ResUpdateThread.h"
#include "ResourceFolder.h"
#include "ResourcePack.h"
#include "StarUpWnd.h"

#include "CleanupExports.h"
#include "HomeFrame.h"

#include "update/IUnzipFile.h"
#include "update/IUpdateFixt.h"

#include "common/KeptForProcess.h"
#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QDir>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwctype>

namespace {

const wchar_t kSection[] = L"Clean";
const wchar_t kMarkerName[] = L"shutdown.tmp";
const char kMarkerText[] = "shutdown";
// The profile writer is handed the settings path in a buffer of this many wide characters.
constexpr int kSettingsPathChars = 1024;
constexpr int kShutDownCheckMs = 60000;
constexpr int kCpuSampleMs = 1000;
// Enough for a cancelled download to end and a pack of its bounded size to be put in place.
int g_resourceWaitMs = 5000;

// The settings beside the program, as the profile functions take it: a Windows path.
QString SettingsPath()
{
    return QString::fromStdWString(platform::Machine().programFolder + L"\\GarbageClean.ini");
}

int ReadSetting(const std::wstring& path, const wchar_t* key, int fallback)
{
    return static_cast<int>(GetPrivateProfileIntW(kSection, key, fallback, path.c_str()));
}

// A count that must be positive: zero, a negative value, one beyond 32 bits or no number at all
// takes the default.
int PositiveSetting(const std::wstring& path, const wchar_t* key, int fallback)
{
    wchar_t text[64] = {};
    GetPrivateProfileStringW(kSection, key, L"", text, 64, path.c_str());
    bool ok = false;
    const qint64 value = QString::fromWCharArray(text).trimmed().toLongLong(&ok);
    return ok && value > 0 && value <= INT_MAX ? static_cast<int>(value) : fallback;
}

// Seconds as a timer's milliseconds, computed in 64 bits and cut to the longest a timer takes.
int IntervalMs(const std::wstring& path, const wchar_t* key, int fallbackSeconds)
{
    const qint64 milliseconds = static_cast<qint64>(PositiveSetting(path, key, fallbackSeconds)) * 1000;
    return static_cast<int>(std::min<qint64>(milliseconds, INT_MAX));
}

uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// A folder of the machine with its drive ("C:\...") or a network path; nothing else may stand
// for the user's local application data.
bool IsRootedFolder(const std::wstring& folder)
{
    return (folder.size() >= 3 && std::iswalpha(folder[0]) && folder[1] == L':' && folder[2] == L'\\') ||
           folder.rfind(L"\\\\", 0) == 0;
}

// The user's local application data: the variable LOCALAPPDATA, else the shell's folder for it.
// Unknown: empty, so that nothing lands in the root of a drive.
std::wstring LocalAppData()
{
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", value, MAX_PATH);
    std::wstring folder = length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
    if (!IsRootedFolder(folder)) {
        wchar_t shell[MAX_PATH] = {};
        folder = SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, shell)) ? shell : L"";
    }
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return IsRootedFolder(folder + L"\\") ? folder : std::wstring();
}

QString ResourceFolderPath()
{
    const std::wstring base = LocalAppData();
    return base.empty() ? QString() : QString::fromStdWString(base) + QStringLiteral("\\Orvane\\Quarnel\\");
}

} // namespace

CGarbageScanMgr::CGarbageScanMgr(QObject* parent, std::shared_ptr<IMonitorSources> sources)
    : QObject(parent), sources_(sources ? std::move(sources) : MachineSources()), resDir_(ResourceFolderPath())
{
    SampleCpuUsage();
    LoadConfig();

    resThread_ = new CResUpdateThread(this);
    connect(resThread_, &CResUpdateThread::sigFinished, this, &CGarbageScanMgr::sigUpdateFinish);
    connect(this, &CGarbageScanMgr::sigUpdateFinish, this, &CGarbageScanMgr::OnUpdateFinish);
    retryTimer_ = new QTimer(this);
    retryTimer_->setSingleShot(true);
    connect(retryTimer_, &QTimer::timeout, this, &CGarbageScanMgr::StartUpdateRes);
    shutDownTimer_ = new QTimer(this);
    connect(shutDownTimer_, &QTimer::timeout, this, &CGarbageScanMgr::OnShutDownTimer);
    cpuTimer_ = new QTimer(this);
    connect(cpuTimer_, &QTimer::timeout, this, &CGarbageScanMgr::SampleCpuUsage);
    cpuTimer_->start(kCpuSampleMs);
    scanTimer_ = new QTimer(this);
    scanTimer_->setSingleShot(true);
    connect(scanTimer_, &QTimer::timeout, this, &CGarbageScanMgr::OnScanTimer);

    starUpWnd_ = std::make_unique<CStarUpWnd>(sources_);
    starUpWnd_->SetDuration(starUpDuration_);
    connect(starUpWnd_.get(), &CStarUpWnd::sigScan, this, &CGarbageScanMgr::OnStarUpScan);
    connect(starUpWnd_.get(), &CStarUpWnd::sigHide, this, &CGarbageScanMgr::StartScanTimer);
    junkWnd_ = std::make_unique<CGarbageCleanWnd>(sources_);
    junkWnd_->SetDuration(starUpDuration_);
    connect(junkWnd_.get(), &CGarbageCleanWnd::sigClean, this, &CGarbageScanMgr::OnCleanWndClean);
    connect(junkWnd_.get(), &CGarbageCleanWnd::sigClose, this, &CGarbageScanMgr::OnCleanWndClose);

    LoadUpdateLibrary();
    resThread_->SetPack(CResourcePack(resDir_, updateObj_, unzipObj_));
    // The switches hold whether or not the Update library is there.
    const RemoteSwitches switches = CResourcePack::ReadSwitches(resDir_);
    enableScan_ = switches.enableScan;
    enableAssit_ = switches.enableAssit;
}

CGarbageScanMgr::~CGarbageScanMgr()
{
    // An update under way is cut short and waited for a bounded time only: whatever a server does,
    // the window closes.
    if (updateObj_)
        updateObj_->CancelDownloads();
    if (!resThread_->wait(static_cast<unsigned long>(g_resourceWaitMs))) {
        WriteLog(L"the resource update did not end in time: it is left to finish on its own");
        resThread_->Abandon();
        // It may still unpack with the archive object.
        KeptForProcess(unzipObj_);
        unzipObj_ = nullptr;
    }
    if (unzipObj_)
        unzipObj_->Release();
    if (IExportWidget* sysClean = GetSysCleanExport())
        sysClean->SetCallback(nullptr, nullptr);
}

void CGarbageScanMgr::LoadUpdateLibrary()
{
    using BuildUpdateObjFunc = IUpdateFixt* (*)();
    using CreateUnzipFileFunc = IUnzipFile* (*)();
    if (const auto build = reinterpret_cast<BuildUpdateObjFunc>(LoadProcFromLibrary(L"Update.dll", "BuildUpdateObj")))
        updateObj_ = KeptForProcess(build());
    if (const auto create = reinterpret_cast<CreateUnzipFileFunc>(LoadProcFromLibrary(L"Update.dll", "CreateUnzipFile")))
        unzipObj_ = create();
}

void CGarbageScanMgr::LoadConfig()
{
    const std::wstring path = SettingsPath().toStdWString();
    scanIntervalMs_ = IntervalMs(path, L"ScanInterval", 10800);
    retryIntervalMs_ = IntervalMs(path, L"RetryInterval", 10800);
    shutDownInterval_ = PositiveSetting(path, L"ShutDownInterval", 300);
    starUpDuration_ = PositiveSetting(path, L"StarUpDuration", 30);
    cleanLv_ = ReadSetting(path, L"CleanLv", 1);
    const int defaultSizes[] = {100, 300, 500, 800, 1024};
    for (int lv = 1; lv <= 5; ++lv) {
        const std::wstring key = L"lv" + std::to_wstring(lv);
        lvSizes_[lv] = static_cast<qint64>(ReadSetting(path, key.c_str(), defaultSizes[lv - 1])) * 1048576;
    }
    cpuLimit_ = ReadSetting(path, L"CPULimit", 50);
    showAssit_ = ReadSetting(path, L"ShowAssit", 1) != 0;
    showClean_ = ReadSetting(path, L"ShowClean", 1) != 0;
    for (int lv = 1; lv <= 5; ++lv)
        lvTexts_.append(FormatSizeText(lvSizes_[lv]));
    SetCleanLv(cleanLv_);
}

void CGarbageScanMgr::WriteSetting(const wchar_t* key, const QString& value) const
{
    const QString path = QDir::toNativeSeparators(SettingsPath());
    if (path.size() >= kSettingsPathChars) {
        WriteLog(L"GarbageClean.ini not written: its path is longer than %d characters", kSettingsPathChars - 1);
        return;
    }
    WritePrivateProfileStringW(kSection, key, value.toStdWString().c_str(), path.toStdWString().c_str());
}

void CGarbageScanMgr::SetShowAssit(bool show)
{
    showAssit_ = show;
    WriteSetting(L"ShowAssit", show ? QStringLiteral("1") : QStringLiteral("0"));
}

void CGarbageScanMgr::SetShowClean(bool show)
{
    showClean_ = show;
    WriteSetting(L"ShowClean", show ? QStringLiteral("1") : QStringLiteral("0"));
}

void CGarbageScanMgr::SetCleanLv(int lv)
{
    cleanLv_ = qBound(1, lv, 5);
    threshold_ = lvSizes_[cleanLv_];
    WriteSetting(L"CleanLv", QString::number(cleanLv_));
}

bool CGarbageScanMgr::IsScanTimerActive() const
{
    return scanTimer_->isActive();
}

bool CGarbageScanMgr::IsRetryTimerActive() const
{
    return retryTimer_->isActive();
}

QString CGarbageScanMgr::FormatSizeText(qint64 bytes)
{
    const quint64 size = static_cast<quint64>(bytes);
    if (size <= 1)
        return tr("%1 KB").arg(size);
    const std::pair<quint64, const char*> units[] = {{1ull << 40, " TB"}, {1ull << 30, " GB"}, {1ull << 20, " MB"},
                                                     {1ull << 10, " KB"}, {2, " KB"}};
    for (const auto& [divisor, unit] : units) {
        if (divisor > size)
            continue;
        QString number = QStringLiteral("1");
        if (divisor != 2) {
            number = QString::asprintf("%.2f", static_cast<double>(size) / static_cast<double>(divisor)).left(4);
            if (number.endsWith(QLatin1Char('.')))
                number.chop(1);
        }
        return QStringLiteral("%1%2").arg(number, tr(unit));
    }
    return QString();
}

void CGarbageScanMgr::SampleCpuUsage()
{
    FILETIME idle {}, kernel {}, user {};
    if (!sources_->SystemTimes(&idle, &kernel, &user))
        return;
    const auto idleDelta = static_cast<int64_t>(Ticks(idle) - prevIdle_);
    const auto total = static_cast<int64_t>(Ticks(kernel) - prevKernel_) + static_cast<int64_t>(Ticks(user) - prevUser_);
    cpuLoad_ = total == 0 ? 0 : static_cast<int>(std::fabs((total - idleDelta) * 100.0 / static_cast<double>(total)));
    prevIdle_ = Ticks(idle);
    prevKernel_ = Ticks(kernel);
    prevUser_ = Ticks(user);
}

void CGarbageScanMgr::StartMonitor(bool bAutoStart, bool bAutoScan)
{
    if (IExportWidget* sysClean = GetSysCleanExport())
        sysClean->SetCallback(&CGarbageScanMgr::ScanResultCallback, this);
    if (bAutoScan) {
        emit sigAutoScan();
        assistantShown_ = false;
        StartScanTimer();
    } else if (bAutoStart) {
        UpdateRes(false);
    } else {
        StartScanTimer();
    }
    if (!resDir_.isEmpty())
        DeleteFileW(MarkerPath().c_str());
    if (!shutDownTimer_->isActive())
        shutDownTimer_->start(kShutDownCheckMs);
}

void CGarbageScanMgr::StartScanTimer()
{
    if (!scanTimer_->isActive())
        scanTimer_->start(scanIntervalMs_);
}

bool CGarbageScanMgr::IsMainWindowVisible() const
{
    // Where the desktop has no tray the window waits minimised instead of hidden.
    const QWidget* frame = GetHomeFrame();
    return frame && frame->isVisible() && !frame->isMinimized();
}

void CGarbageScanMgr::OnScanTimer()
{
    // Without the clean-up library there is nothing to ask: the timer waits for the next turn.
    IExportWidget* sysClean = GetSysCleanExport();
    if (cpuLoad_ >= cpuLimit_ || fullScreen_ || suppressed_ || IsMainWindowVisible() || !enableScan_ ||
        starUpWnd_->isVisible() || junkWnd_->isVisible() || !showClean_ || !sysClean) {
        StartScanTimer();
        return;
    }
    sysClean->ScanLater(true);
    // The analysis may be refused, or stopped when the main window is shown, and then reports
    // nothing: the next turn is armed now rather than left to the result.
    StartScanTimer();
}

void CGarbageScanMgr::ScanResultCallback(unsigned sizeLow, unsigned sizeHigh, void* context)
{
    if (context)
        static_cast<CGarbageScanMgr*>(context)->OnScanResult(
            static_cast<qint64>((static_cast<quint64>(sizeHigh) << 32) | sizeLow));
}

void CGarbageScanMgr::OnScanResult(qint64 size)
{
    WriteLog(L"background junk scan found %llu bytes", static_cast<unsigned long long>(size));
    junkWnd_->SetSizeText(FormatSizeText(size));
    if (static_cast<quint64>(size) >= static_cast<quint64>(threshold_) && !fullScreen_ && !IsMainWindowVisible() &&
        !starUpWnd_->isVisible() && showClean_)
        junkWnd_->ShowWnd();
    StartScanTimer();
}

void CGarbageScanMgr::HidePopWnds()
{
    // The assistant's own end would arm the background scan; hidden for the main window, it must
    // not leave the monitor without one for the rest of the run.
    const bool assistantShown = starUpWnd_->isVisible();
    starUpWnd_->HideWnd();
    junkWnd_->HideWnd();
    if (assistantShown)
        StartScanTimer();
}

void CGarbageScanMgr::SetFullScreen(bool fullScreen)
{
    fullScreen_ = fullScreen;
}

std::wstring CGarbageScanMgr::MarkerPath() const
{
    return resDir_.toStdWString() + kMarkerName;
}

void CGarbageScanMgr::MarkShutDown()
{
    if (resDir_.isEmpty()) {
        WriteLog(L"shutdown marker not written: the local application data folder is unknown");
        return;
    }
    // Made in the held folder, never through a link planted at its name.
    DWORD error = ERROR_SUCCESS;
    const std::unique_ptr<CHeldFolder> folder = HoldResourceFolder(resDir_.toStdWString(), error);
    const HANDLE marker = folder ? folder->CreateEntry(kMarkerName, GENERIC_WRITE, FILE_OVERWRITE_IF,
                                                       FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_NORMAL, error)
                                 : nullptr;
    DWORD written = 0;
    if (marker && !WriteFile(marker, kMarkerText, sizeof kMarkerText - 1, &written, nullptr))
        error = GetLastError();
    if (marker)
        CloseHandle(marker);
    if (written != sizeof kMarkerText - 1)
        WriteLog(L"shutdown marker not written, error %u", static_cast<unsigned>(error));
}

void CGarbageScanMgr::OnShutDownTimer()
{
    const bool marker = !resDir_.isEmpty() && GetFileAttributesW(MarkerPath().c_str()) != INVALID_FILE_ATTRIBUTES;
    const uint32_t now = sources_->TickCount();
    if (marker && (now - lastTick_ > static_cast<uint32_t>(shutDownInterval_) || now < lastTick_)) {
        assistantShown_ = false;
        suppressed_ = false;
        fullScreen_ = false;
        DeleteFileW(MarkerPath().c_str());
        UpdateRes(false);
    }
    lastTick_ = now;
}

void CGarbageScanMgr::OnStarUpScan()
{
    emit sigAutoScan();
    StartScanTimer();
}

void CGarbageScanMgr::OnCleanWndClean()
{
    emit sigAutoClean();
}

void CGarbageScanMgr::OnCleanWndClose()
{
    suppressed_ = true;
}

void CGarbageScanMgr::UpdateRes(bool bSync)
{
    if (!bSync) {
        resThread_->start(QThread::InheritPriority);
        return;
    }
    emit sigUpdateFinish(CResourcePack(resDir_, updateObj_, unzipObj_).Update());
}

void CGarbageScanMgr::StartUpdateRes()
{
    UpdateRes(false);
}

void CGarbageScanMgr::SetResourceWaitMs(int milliseconds)
{
    g_resourceWaitMs = milliseconds;
}

bool CGarbageScanMgr::RestoreDefaultRes()
{
    return CResourcePack::RestoreDefaults(ResourceFolderPath());
}

void CGarbageScanMgr::OnUpdateFinish(bool ok)
{
    if (!ok)
        OnUpdateFailed();
    const RemoteSwitches switches = CResourcePack::ReadSwitches(resDir_);
    enableScan_ = switches.enableScan;
    enableAssit_ = switches.enableAssit;
    ShowStarUpWnd();
}

void CGarbageScanMgr::OnUpdateFailed()
{
    if (retryTimer_->isActive())
        return;
    CResourcePack::MarkOutdated(resDir_);
    retryTimer_->start(retryIntervalMs_);
}

void CGarbageScanMgr::ShowStarUpWnd()
{
    bool shown = false;
    if (!assistantShown_ && enableAssit_ && showAssit_ && !resDir_.isEmpty()) {
        assistantShown_ = true;
        const DayResources day = CResourcePack::ForDay(resDir_, sources_->Today());
        if (day.picture.isEmpty()) {
            RestoreDefaultRes();
        } else if (!IsMainWindowVisible() && !fullScreen_) {
            starUpWnd_->SetPixmap(CResourcePack::ReadPicture(day.picture));
            starUpWnd_->SetText(CResourcePack::ReadText(day.text));
            starUpWnd_->ShowWnd();
            shown = true;
        }
    }
    if (!shown)
        StartScanTimer();
}
