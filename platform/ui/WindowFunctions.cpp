// The window functions of Windows over the machine's published windows: this process's own are
// reached directly, another process's through its message port.
#include "MessageDelivery.h"
#include "MessageSender.h"
#include "MessageWire.h"
#include "WindowPublisher.h"
#include "WindowRecords.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"

#include <QCoreApplication>
#include <QThread>
#include <QWindow>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

using platform::WindowRecord;

// A handle names a window of this process by its native id alone, another process's by the
// process id above the window's id in that process.
struct WindowAddress {
    pid_t pid;
    uint32_t localId;
    bool own;
};

HWND HandleOf(const WindowRecord& record)
{
    const uint64_t value = record.pid == getpid() ? record.localId
                                                  : (static_cast<uint64_t>(record.pid) << 32) | record.localId;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

std::optional<WindowAddress> AddressOf(HWND window)
{
    const auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window));
    const auto pid = static_cast<pid_t>(value >> 32);
    const auto localId = static_cast<uint32_t>(value);
    if (!localId || (value >> 32) > 0x7FFFFFFFu)
        return std::nullopt;
    if (pid == 0 || pid == getpid())
        return WindowAddress {getpid(), localId, true};
    return WindowAddress {pid, localId, false};
}

HWND LocalHandle(uint32_t localId) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(localId)); }

bool OnGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// The record of another process's window, when that process answers at its port for it.
std::optional<WindowRecord> VerifiedWindow(pid_t pid, uint32_t localId)
{
    std::optional<WindowRecord> record = platform::PublishedWindow(pid, localId);
    if (record && !platform::AnswersForWindow(*record))
        record.reset();
    return record;
}

// What is known of a window: its record, or for this process's windows on the GUI thread the
// window itself (also one never shown).
std::optional<WindowRecord> Describe(HWND window)
{
    const std::optional<WindowAddress> address = AddressOf(window);
    if (!address)
        return std::nullopt;
    if (address->own && OnGuiThread()) {
        if (QWindow* own = platform::WindowOfHandle(LocalHandle(address->localId))) {
            WindowRecord record;
            record.pid = getpid();
            record.localId = address->localId;
            record.threadId = platform::CWindowPublisher::GuiThreadId();
            record.visible = own->isVisible();
            record.title = own->title().toStdWString();
            return record;
        }
        return std::nullopt;
    }
    return VerifiedWindow(address->pid, address->localId);
}

// Runs the delivery on the GUI thread; from another thread it waits for it there, up to the
// message wait. The answer, or nothing with the last error set.
std::optional<LRESULT> DeliverOwn(uint32_t localId, UINT message, WPARAM wParam, LPARAM lParam)
{
    QCoreApplication* app = QCoreApplication::instance();
    std::optional<LRESULT> delivered;
    if (OnGuiThread())
        delivered = platform::DeliverWindowMessage(LocalHandle(localId), message, wParam, lParam);
    if (!app || OnGuiThread()) {
        if (!delivered)
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return delivered;
    }
    struct Answer {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool abandoned = false;
        std::optional<LRESULT> result;
    };
    auto answer = std::make_shared<Answer>();
    QMetaObject::invokeMethod(app, [=] {
        {
            std::lock_guard<std::mutex> lock(answer->mutex);
            // The sender gave up: its data is gone with its call.
            if (answer->abandoned)
                return;
        }
        const std::optional<LRESULT> result = platform::DeliverWindowMessage(LocalHandle(localId), message, wParam, lParam);
        std::lock_guard<std::mutex> lock(answer->mutex);
        answer->result = result;
        answer->finished = true;
        answer->done.notify_all();
    });
    std::unique_lock<std::mutex> lock(answer->mutex);
    if (!answer->done.wait_for(lock, std::chrono::milliseconds(platform::MessageWaitMs()), [&] { return answer->finished; })) {
        answer->abandoned = true;
        SetLastError(ERROR_TIMEOUT);
        return std::nullopt;
    }
    if (!answer->result)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return answer->result;
}

// Only what can be copied crosses processes: the data of WM_COPYDATA, and WM_PAINT.
bool Crosses(UINT message, LPARAM lParam)
{
    if (message == WM_PAINT)
        return true;
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    return message == WM_COPYDATA && copy && copy->cbData <= platform::kLongestCopy && (copy->lpData || !copy->cbData);
}

// Sends or posts; the answer, or nothing with the last error set.
std::optional<LRESULT> Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool wait)
{
    const std::optional<WindowAddress> address = AddressOf(window);
    if (!address) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return std::nullopt;
    }
    if (address->own) {
        std::optional<LRESULT> answer;
        if (wait) {
            answer = DeliverOwn(address->localId, message, wParam, lParam);
        } else if (!Describe(window)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        } else if (message == WM_COPYDATA && !Crosses(message, lParam)) {
            SetLastError(ERROR_INVALID_PARAMETER);
        } else {
            // The data is copied now: the poster may free it as soon as the call returns.
            const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            auto data = std::make_shared<std::string>();
            const ULONG_PTR dwData = message == WM_COPYDATA ? copy->dwData : 0;
            if (message == WM_COPYDATA && copy->cbData)
                data->assign(static_cast<const char*>(copy->lpData), copy->cbData);
            const uint32_t localId = address->localId;
            QMetaObject::invokeMethod(QCoreApplication::instance(), [=] {
                COPYDATASTRUCT held {dwData, static_cast<DWORD>(data->size()), data->empty() ? nullptr : data->data()};
                platform::DeliverWindowMessage(LocalHandle(localId), message, wParam,
                                               message == WM_COPYDATA ? reinterpret_cast<LPARAM>(&held) : lParam);
            }, Qt::QueuedConnection);
            answer = 0;
        }
        return answer;
    }
    if (!Crosses(message, lParam)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    const std::optional<WindowRecord> target = platform::PublishedWindow(address->pid, address->localId);
    if (!target) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return std::nullopt;
    }
    LRESULT result = 0;
    const DWORD error = platform::SendToWindowPort(
        *target, message, wParam, message == WM_COPYDATA ? reinterpret_cast<const COPYDATASTRUCT*>(lParam) : nullptr,
        wait, result);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return std::nullopt;
    }
    return result;
}

} // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    if (className || !windowName)
        return nullptr;
    const std::wstring wanted = platform::UpperCase(windowName);
    HWND found = nullptr;
    for (const WindowRecord& record : platform::PublishedWindows()) {
        if (platform::UpperCase(record.title) != wanted || !platform::AnswersForWindow(record))
            continue;
        if (record.pid == getpid())
            return HandleOf(record);
        if (!found)
            found = HandleOf(record);
    }
    return found;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId)
{
    const std::optional<WindowRecord> record = Describe(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (processId)
        *processId = static_cast<DWORD>(record->pid);
    return record->threadId;
}

BOOL IsWindowVisible(HWND window)
{
    const std::optional<WindowRecord> record = Describe(window);
    return record && record->visible ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Dispatch(window, message, wParam, lParam, true).value_or(0);
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Dispatch(window, message, wParam, lParam, false) ? TRUE : FALSE;
}
