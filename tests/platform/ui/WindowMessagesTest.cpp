#include "SessionEndWatcher.h"

#include "platform/Desktop.h"
#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT kBarMessage = 0x8123;
constexpr int kWaitMs = 10000;

// {53F56307-B6BF-11D0-94F2-00A0C91EFB8B}: an interface class the machine has no devices of.
constexpr GUID kDiskClass = {0x53F56307u, 0xB6BFu, 0x11D0u, {0x94u, 0xF2u, 0x00u, 0xA0u, 0xC9u, 0x1Eu, 0xFBu, 0x8Bu}};

struct Heard {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool usbInterface; // WM_DEVICECHANGE: the record names a USB device's interface
    std::wstring name;
};

// A window that records every Windows message its native event handling is given.
class CRecordingWindow : public QWidget {
public:
    HWND Handle() { return reinterpret_cast<HWND>(winId()); }
    std::vector<Heard> heard;

protected:
    bool nativeEvent(const QByteArray& eventType, void* message, long*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        EXPECT_EQ(Handle(), msg->hwnd);
        Heard entry {msg->message, msg->wParam, msg->lParam, false, {}};
        if (msg->message == WM_DEVICECHANGE) {
            const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(msg->lParam);
            entry.usbInterface = record->dbcc_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
                                 std::memcmp(&record->dbcc_classguid, &GUID_DEVINTERFACE_USB_DEVICE, sizeof(GUID)) == 0;
            entry.name = record->dbcc_name;
            EXPECT_EQ(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (entry.name.size() + 1) * sizeof(WCHAR),
                      record->dbcc_size);
        }
        heard.push_back(entry);
        return true;
    }
};

HDEVNOTIFY Register(CRecordingWindow& window, const GUID& interfaceClass, DWORD flags = DEVICE_NOTIFY_WINDOW_HANDLE)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    return RegisterDeviceNotificationW(window.Handle(), &filter, flags);
}

const char kFixedDrives[] = "[Drive C]\nFolder=drive_c\nType=3\nBus=11\nDisk=0\n"
                            "[Drive E]\nFolder=drive_e\nType=2\nBus=7\nDisk=1\n";

std::string Stick(char letter, int disk)
{
    return std::string("[Drive ") + letter + "]\nFolder=drive_" + char(letter + 32) + "\nType=2\nBus=7\nDisk=" +
           std::to_string(disk) + "\n";
}

bool WaitForCount(const CRecordingWindow& window, size_t count)
{
    return QTest::qWaitFor([&] { return window.heard.size() >= count; }, kWaitMs);
}

TEST(DeviceNotification, RefusesWhatItCannotTake)
{
    CRecordingWindow window;
    DEV_BROADCAST_DEVICEINTERFACE_W filter {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    EXPECT_EQ(nullptr, RegisterDeviceNotificationW(nullptr, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, RegisterDeviceNotificationW(window.Handle(), nullptr, DEVICE_NOTIFY_WINDOW_HANDLE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(nullptr, RegisterDeviceNotificationW(window.Handle(), &filter, 1)); // a service's handle
    filter.dbcc_size = sizeof(DEV_BROADCAST_HDR);
    EXPECT_EQ(nullptr, RegisterDeviceNotificationW(window.Handle(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = 2;
    EXPECT_EQ(nullptr, RegisterDeviceNotificationW(window.Handle(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    const HDEVNOTIFY handle = Register(window, GUID_DEVINTERFACE_USB_DEVICE);
    ASSERT_NE(nullptr, handle);
    EXPECT_TRUE(UnregisterDeviceNotification(handle));
    EXPECT_FALSE(UnregisterDeviceNotification(handle));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST(DeviceNotification, UsbSticksComingAndGoingReachTheWindowsThatAskForThem)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni(kFixedDrives);
    CRecordingWindow usb;
    CRecordingWindow everything;
    CRecordingWindow disks;
    auto gone = std::make_unique<CRecordingWindow>();
    ASSERT_NE(nullptr, Register(usb, GUID_DEVINTERFACE_USB_DEVICE));
    ASSERT_NE(nullptr, Register(everything, kDiskClass, DEVICE_NOTIFY_ALL_INTERFACE_CLASSES));
    ASSERT_NE(nullptr, Register(disks, kDiskClass));
    const HDEVNOTIFY goneHandle = Register(*gone, GUID_DEVINTERFACE_USB_DEVICE);
    gone.reset();

    // A second partition of the stick already there and a SATA disk are no new USB device.
    machine.WriteMachineIni(std::string(kFixedDrives) + Stick('H', 1) +
                            "[Drive G]\nFolder=drive_g\nType=3\nBus=11\nDisk=4\n");
    machine.WriteMachineIni(std::string(kFixedDrives) + Stick('F', 2));
    ASSERT_TRUE(WaitForCount(usb, 1));
    EXPECT_EQ(static_cast<UINT>(WM_DEVICECHANGE), usb.heard[0].message);
    EXPECT_EQ(DBT_DEVICEARRIVAL, usb.heard[0].wParam);
    EXPECT_TRUE(usb.heard[0].usbInterface);
    EXPECT_NE(std::wstring::npos, usb.heard[0].name.find(L"USB#"));

    machine.WriteMachineIni(kFixedDrives);
    ASSERT_TRUE(WaitForCount(usb, 2));
    EXPECT_EQ(DBT_DEVICEREMOVECOMPLETE, usb.heard[1].wParam);
    EXPECT_EQ(usb.heard[0].name, usb.heard[1].name);

    // Another program removes the first stick's section.
    machine.WriteMachineIni("[Drive C]\nFolder=drive_c\nType=3\nBus=11\nDisk=0\n");
    ASSERT_TRUE(WaitForCount(usb, 3));
    EXPECT_EQ(DBT_DEVICEREMOVECOMPLETE, usb.heard[2].wParam);
    EXPECT_NE(usb.heard[0].name, usb.heard[2].name);
    EXPECT_EQ(3u, usb.heard.size());
    EXPECT_EQ(3u, everything.heard.size());
    EXPECT_TRUE(disks.heard.empty());
    // The destroyed window's registration went with it.
    EXPECT_FALSE(UnregisterDeviceNotification(goneHandle));
}

TEST(AppBar, FullScreenApplicationsAreAnnouncedOncePerChange)
{
    CRecordingWindow window;
    CRecordingWindow removed;
    APPBARDATA bar {};
    bar.cbSize = sizeof(bar);
    bar.uCallbackMessage = kBarMessage;
    EXPECT_FALSE(SHAppBarMessage(ABM_NEW, nullptr));
    EXPECT_FALSE(SHAppBarMessage(ABM_NEW, &bar)); // no window
    bar.hWnd = window.Handle();
    bar.cbSize = sizeof(bar) - 1;
    EXPECT_FALSE(SHAppBarMessage(ABM_NEW, &bar));
    bar.cbSize = sizeof(bar);
    EXPECT_TRUE(SHAppBarMessage(ABM_NEW, &bar));
    EXPECT_FALSE(SHAppBarMessage(ABM_NEW, &bar));
    EXPECT_FALSE(SHAppBarMessage(7, &bar)); // placing a bar: no screen space here
    APPBARDATA other = bar;
    other.hWnd = removed.Handle();
    EXPECT_TRUE(SHAppBarMessage(ABM_NEW, &other));
    EXPECT_TRUE(SHAppBarMessage(ABM_REMOVE, &other));

    platform::AnnounceFullScreen(true);
    platform::AnnounceFullScreen(true);
    platform::AnnounceFullScreen(false);
    ASSERT_EQ(2u, window.heard.size());
    EXPECT_EQ(kBarMessage, window.heard[0].message);
    EXPECT_EQ(ABN_FULLSCREENAPP, window.heard[0].wParam);
    EXPECT_EQ(1, window.heard[0].lParam);
    EXPECT_EQ(0, window.heard[1].lParam);
    EXPECT_TRUE(removed.heard.empty());

    EXPECT_TRUE(SHAppBarMessage(ABM_REMOVE, &bar));
    platform::AnnounceFullScreen(true);
    EXPECT_EQ(2u, window.heard.size());
    // The desktop's state is the process's: the next bar starts from no full-screen application.
    platform::AnnounceFullScreen(false);
}

// An application-wide filter that hears every Windows message first and takes the end message.
class CSessionFilter : public QAbstractNativeEventFilter {
public:
    std::vector<UINT> heard;
    bool nativeEventFilter(const QByteArray& eventType, void* message, long*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        heard.push_back(static_cast<const MSG*>(message)->message);
        return heard.back() == WM_ENDSESSION;
    }
};

TEST(SessionEnd, TerminationAsksEveryWindowThenEndsTheProgram)
{
    CRecordingWindow first;
    CRecordingWindow second;
    first.Handle();
    second.Handle();
    CSessionFilter filter;
    qApp->installNativeEventFilter(&filter);
    // The program's own watcher is spent once a session has ended in this process: a later run of
    // this case brings one of its own.
    std::unique_ptr<platform::CSessionEndWatcher> fresh;
    struct sigaction current {};
    sigaction(SIGTERM, nullptr, &current);
    if (current.sa_handler == SIG_DFL)
        fresh = std::make_unique<platform::CSessionEndWatcher>(qApp);
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    // Keeps a program that did not end from holding the test.
    QTimer::singleShot(kWaitMs, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(0, QCoreApplication::exec());
    qApp->removeNativeEventFilter(&filter);

    EXPECT_EQ((std::vector<UINT> {WM_QUERYENDSESSION, WM_QUERYENDSESSION, WM_ENDSESSION, WM_ENDSESSION}), filter.heard);
    for (const CRecordingWindow* window : {&first, &second}) {
        ASSERT_EQ(1u, window->heard.size());
        EXPECT_EQ(static_cast<UINT>(WM_QUERYENDSESSION), window->heard[0].message);
    }
}

} // namespace
