#include "GarbageScanMgr.h"

#include "CleanupExports.h"
#include "HomeFrame.h"

#include "Paneforge/Util.h"
#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {

const wchar_t kSection[] = L"Clean";
const char kMarkerName[] = "shutdown.tmp";
const char kMarkerText[] = "shutdown";
// The profile writer is handed the settings path in a buffer of this many wide characters.
constexpr int kSettingsPathChars = 1024;

// The settings beside the program, as the profile functions take it: a Windows path.
QString SettingsPath()
{
    return QString::fromStdWString(platform::Machine().programFolder + L"\\GarbageClean.ini");
}

int ReadSetting(const std::wstring& path, const wchar_t* key, int fallback)
{
    return static_cast<int>(GetPrivateProfileIntW(kSection, key, fallback, path.c_str()));
}

uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

QString ResourceFolderOf(const wchar_t* variable)
{
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(variable, value, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return QString();
    return QString::fromWCharArray(value, static_cast<int>(length)) + QStringLiteral("\\Orvane\\Quarnel\\");
}

} // namespace

CGarbageScanMgr::CGarbageScanMgr(QObject* parent)
    : QObject(parent),
      resDir_(ResourceFolderOf(L"LOCALAPPDATA")),
      shutDownTimer_(new QTimer(this)),
      cpuTimer_(new QTimer(this)),
      scanTimer_(new QTimer(this))
{
    SampleCpuUsage();
    LoadConfig();
    connect(shutDownTimer_, &QTimer::timeout, this, &CGarbageScanMgr::OnShutDownTimer);
    connect(cpuTimer_, &QTimer::timeout, this, &CGarbageScanMgr::SampleCpuUsage);
    cpuTimer_->start(1000);
    scanTimer_->setSingleShot(true);
    connect(scanTimer_, &QTimer::timeout, this, &CGarbageScanMgr::OnScanTimer);

    const std::wstring trayPop = (resDir_ + QStringLiteral("TrayPop.ini")).toStdWString();
    if (GetFileAttributesW(trayPop.c_str()) != INVALID_FILE_ATTRIBUTES) {
        enableScan_ = GetPrivateProfileIntW(L"update", L"enablescan", 1, trayPop.c_str()) != 0;
        enableAssit_ = GetPrivateProfileIntW(L"update", L"enableassit", 1, trayPop.c_str()) != 0;
    }
}

void CGarbageScanMgr::LoadConfig()
{
    const std::wstring path = SettingsPath().toStdWString();
    scanInterval_ = ReadSetting(path, L"ScanInterval", 10800);
    shutDownInterval_ = ReadSetting(path, L"ShutDownInterval", 300);
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
    if (!GetSystemTimes(&idle, &kernel, &user))
        return;
    const auto idleDelta = static_cast<int64_t>(Ticks(idle) - prevIdle_);
    const auto total = static_cast<int64_t>(Ticks(kernel) - prevKernel_) + static_cast<int64_t>(Ticks(user) - prevUser_);
    cpuLoad_ = total == 0 ? 0 : static_cast<int>(std::fabs((total - idleDelta) * 100.0 / static_cast<double>(total)));
    prevIdle_ = Ticks(idle);
    prevKernel_ = Ticks(kernel);
    prevUser_ = Ticks(user);
}

void CGarbageScanMgr::StartMonitor(bool /*bAutoStart*/, bool bAutoScan)
{
    if (IExportWidget* sysClean = GetSysCleanExport())
        sysClean->SetCallback(&CGarbageScanMgr::ScanResultCallback, this);
    if (bAutoScan)
        emit sigAutoScan();
    StartScanTimer();
    QFile::remove(MarkerPath());
    if (!shutDownTimer_->isActive())
        shutDownTimer_->start(60000);
}

void CGarbageScanMgr::StartScanTimer()
{
    if (!scanTimer_->isActive())
        scanTimer_->start(scanInterval_ * 1000);
}

bool CGarbageScanMgr::IsPopupVisible() const
{
    return (starUpWnd_ && starUpWnd_->isVisible()) || (junkWnd_ && junkWnd_->isVisible());
}

bool CGarbageScanMgr::IsMainWindowVisible() const
{
    const QWidget* frame = GetHomeFrame();
    return frame && frame->isVisible();
}

void CGarbageScanMgr::OnScanTimer()
{
    IExportWidget* sysClean = GetSysCleanExport();
    if (cpuLoad_ >= cpuLimit_ || fullScreen_ || suppressed_ || IsMainWindowVisible() || !enableScan_ ||
        IsPopupVisible() || !showClean_ || !sysClean) {
        StartScanTimer();
        return;
    }
    sysClean->ScanLater(true);
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
    if (!junkWnd_)
        return;
    if (static_cast<quint64>(size) >= static_cast<quint64>(threshold_) && !fullScreen_ && !IsMainWindowVisible() &&
        !(starUpWnd_ && starUpWnd_->isVisible()) && showClean_)
        junkWnd_->show();
    StartScanTimer();
}

void CGarbageScanMgr::HidePopWnds()
{
    for (QWidget* popup : {starUpWnd_.data(), junkWnd_.data()})
        if (popup)
            popup->hide();
}

void CGarbageScanMgr::SetFullScreen(bool fullScreen)
{
    fullScreen_ = fullScreen;
}

QString CGarbageScanMgr::MarkerPath() const
{
    if (resDir_.isEmpty())
        return QString();
    return QString::fromStdString(platform::HostPath((resDir_ + QLatin1String(kMarkerName)).toStdWString()));
}

void CGarbageScanMgr::MarkShutDown()
{
    const QString path = MarkerPath();
    if (path.isEmpty()) {
        WriteLog(L"shutdown marker not written: the local application data folder is unknown");
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile marker(path);
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate) || marker.write(kMarkerText) != 8)
        WriteLog(L"shutdown marker not written, error %d", static_cast<int>(marker.error()));
}

void CGarbageScanMgr::OnShutDownTimer()
{
    const bool marker = QFile::exists(MarkerPath());
    const uint32_t now = GetTickCount();
    if (marker && (now - lastTick_ > static_cast<uint32_t>(shutDownInterval_) || now < lastTick_)) {
        suppressed_ = false;
        fullScreen_ = false;
        QFile::remove(MarkerPath());
    }
    lastTick_ = now;
}
