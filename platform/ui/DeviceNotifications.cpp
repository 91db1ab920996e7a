#include "DriveWatcher.h"
#include "MessageDelivery.h"

#include "platform/Machine.h"
#include "platform/win/DeviceNotify.h"
#include "platform/win/Errors.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct Registration {
    HDEVNOTIFY handle;
    HWND window;
    GUID interfaceClass;
    bool allClasses;
};

struct Registrations {
    std::mutex mutex;
    std::vector<Registration> list;
    uintptr_t lastHandle = 0;
    // Lives on the GUI thread, with the application.
    QPointer<platform::CDriveWatcher> watcher;
};

Registrations& Table()
{
    static Registrations table;
    return table;
}

bool Hears(const Registration& registration, const GUID& interfaceClass)
{
    return registration.allClasses ||
           std::memcmp(&registration.interfaceClass, &interfaceClass, sizeof(GUID)) == 0;
}

// False when the handle was not registered.
bool Drop(HDEVNOTIFY handle)
{
    Registrations& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    const auto end = std::remove_if(table.list.begin(), table.list.end(),
                                    [handle](const Registration& r) { return r.handle == handle; });
    const bool found = end != table.list.end();
    table.list.erase(end, table.list.end());
    return found;
}

void NotifyDevice(unsigned event, const QString& deviceName)
{
    std::vector<Registration> recipients;
    {
        Registrations& table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        for (const Registration& registration : table.list)
            if (Hears(registration, GUID_DEVINTERFACE_USB_DEVICE))
                recipients.push_back(registration);
    }
    const std::wstring name = deviceName.toStdWString();
    const size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (name.size() + 1) * sizeof(WCHAR);
    for (const Registration& registration : recipients) {
        // A record of its own for each window: a handler may write into what it was given.
        std::vector<std::max_align_t> storage((size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
        auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
        record->dbcc_size = static_cast<DWORD>(size);
        record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        record->dbcc_classguid = GUID_DEVINTERFACE_USB_DEVICE;
        std::memcpy(record->dbcc_name, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        if (!platform::DeliverWindowMessage(registration.window, WM_DEVICECHANGE, event,
                                            reinterpret_cast<LPARAM>(record)))
            Drop(registration.handle);
    }
}

// The machine is watched from the first registration on, on the application's thread; a test that
// moved to another machine root gets a watcher of that root.
void WatchMachine()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, [app] {
        const std::string root = platform::Machine().root;
        Registrations& table = Table();
        if (table.watcher && table.watcher->Root() == root)
            return;
        delete table.watcher;
        table.watcher = new platform::CDriveWatcher(root, app);
        QObject::connect(table.watcher, &platform::CDriveWatcher::sigDeviceChanged, app, NotifyDevice);
    });
}

} // namespace

HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID notificationFilter, DWORD flags)
{
    const auto* filter = static_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(notificationFilter);
    if (!recipient) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if ((flags & ~DEVICE_NOTIFY_ALL_INTERFACE_CLASSES) != DEVICE_NOTIFY_WINDOW_HANDLE || !filter ||
        filter->dbcc_size < offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) ||
        filter->dbcc_devicetype != DBT_DEVTYP_DEVICEINTERFACE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Registrations& table = Table();
    HDEVNOTIFY handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        handle = reinterpret_cast<HDEVNOTIFY>(++table.lastHandle);
        table.list.push_back({handle, static_cast<HWND>(recipient), filter->dbcc_classguid,
                              (flags & DEVICE_NOTIFY_ALL_INTERFACE_CLASSES) != 0});
    }
    WatchMachine();
    return handle;
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY handle)
{
    if (Drop(handle))
        return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
