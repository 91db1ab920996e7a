#include "DriveWatcher.h"

#include "platform/Machine.h"
#include "platform/win/DeviceNotify.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr unsigned kUsbBus = 7;
const char kMachineIni[] = "machine.ini";

std::set<QString> UsbDevices()
{
    std::set<QString> devices;
    const MachineDescription& machine = Machine();
    for (const DriveInfo& drive : machine.drives) {
        const DiskInfo* disk = machine.Disk(drive.disk);
        if (drive.busType != kUsbBus && !(disk && disk->busType == kUsbBus))
            continue;
        const QString instance = drive.disk >= 0 ? QStringLiteral("DISK%1").arg(drive.disk)
                                                 : QStringLiteral("DRIVE%1").arg(QChar(static_cast<char16_t>(drive.letter)));
        devices.insert(QStringLiteral("\\\\?\\USB#VID_0000&PID_0000#QUARNEL-%1#{A5DCBF10-6530-11D2-901F-00C04FB951ED}")
                           .arg(instance));
    }
    return devices;
}

} // namespace

CDriveWatcher::CDriveWatcher(const std::string& machineRoot, QObject* parent)
    : QObject(parent), root_(machineRoot), devices_(UsbDevices())
{
    // The folder is watched, not the file: writers replace machine.ini by renaming a new one over it.
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0 ||
        inotify_add_watch(inotify_, root_.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE) < 0) {
        std::perror("device notifications: machine.ini cannot be watched, no device changes are heard");
        return;
    }
    notifier_ = new QSocketNotifier(inotify_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CDriveWatcher::ReadChanges);
}

CDriveWatcher::~CDriveWatcher()
{
    if (inotify_ >= 0)
        close(inotify_);
}

void CDriveWatcher::ReadChanges()
{
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    ssize_t length = 0;
    while ((length = read(inotify_, buffer, sizeof(buffer))) > 0) {
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            changed = changed || (event->len > 0 && std::strcmp(event->name, kMachineIni) == 0);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (!changed)
        return;
    const std::set<QString> now = UsbDevices();
    std::set<QString> gone;
    std::set<QString> arrived;
    std::set_difference(devices_.begin(), devices_.end(), now.begin(), now.end(), std::inserter(gone, gone.end()));
    std::set_difference(now.begin(), now.end(), devices_.begin(), devices_.end(), std::inserter(arrived, arrived.end()));
    devices_ = now;
    for (const QString& device : gone)
        emit sigDeviceChanged(DBT_DEVICEREMOVECOMPLETE, device);
    for (const QString& device : arrived)
        emit sigDeviceChanged(DBT_DEVICEARRIVAL, device);
}

} // namespace platform
