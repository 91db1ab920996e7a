// Device notifications: a window asks to hear of the devices of an interface class arriving and
// leaving, and is sent WM_DEVICECHANGE with the device's record as lParam for each of them.
//
// The machine's devices are its USB drives: a drive section of machine.ini on bus 7 (USB), or on a
// disk on bus 7, is a USB device (one per disk number; a drive without a disk is a device of its
// own), and it arrives or leaves when another process adds its section to machine.ini or removes
// it, as plugging a stick in or pulling it out does. No other interface class has devices here:
// a window that asks for another class is registered and hears nothing.
#pragma once

#include "platform/win/Types.h"
#include "platform/win/WindowManager.h"

#pragma GCC visibility push(default)

typedef PVOID HDEVNOTIFY;

// wParam of WM_DEVICECHANGE.
#define DBT_DEVICEARRIVAL 0x8000u
#define DBT_DEVICEREMOVECOMPLETE 0x8004u

#define DBT_DEVTYP_DEVICEINTERFACE 0x00000005u

// Flags of RegisterDeviceNotificationW: the recipient is a window; it hears every interface class.
#define DEVICE_NOTIFY_WINDOW_HANDLE 0x00000000u
#define DEVICE_NOTIFY_ALL_INTERFACE_CLASSES 0x00000004u

typedef struct _DEV_BROADCAST_HDR {
    DWORD dbch_size;
    DWORD dbch_devicetype;
    DWORD dbch_reserved;
} DEV_BROADCAST_HDR, *PDEV_BROADCAST_HDR;

// dbcc_name runs on past the record's end: dbcc_size counts the whole name with its terminator.
typedef struct _DEV_BROADCAST_DEVICEINTERFACE_W {
    DWORD dbcc_size;
    DWORD dbcc_devicetype;
    DWORD dbcc_reserved;
    GUID dbcc_classguid;
    WCHAR dbcc_name[1];
} DEV_BROADCAST_DEVICEINTERFACE_W, *PDEV_BROADCAST_DEVICEINTERFACE_W;

// {A5DCBF10-6530-11D2-901F-00C04FB951ED}
inline constexpr GUID GUID_DEVINTERFACE_USB_DEVICE = {
    0xA5DCBF10u, 0x6530u, 0x11D2u, {0x90u, 0x1Fu, 0x00u, 0xC0u, 0x4Fu, 0xB9u, 0x51u, 0xEDu}};

// Registers the window for the interface class of the DEV_BROADCAST_DEVICEINTERFACE_W filter
// (dbcc_size at least up to the name, type DBT_DEVTYP_DEVICEINTERFACE), or for every class with
// DEVICE_NOTIFY_ALL_INTERFACE_CLASSES. Null with ERROR_INVALID_WINDOW_HANDLE for a null window
// and ERROR_INVALID_PARAMETER for a filter or flags it cannot take. The registration ends with
// UnregisterDeviceNotification or when the window is destroyed. The messages come on the GUI
// thread, from its event loop.
HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID notificationFilter, DWORD flags);
// FALSE with ERROR_INVALID_HANDLE for a handle that is not (or no longer) registered.
BOOL UnregisterDeviceNotification(HDEVNOTIFY handle);

#pragma GCC visibility pop
