// Windows of one machine reach each other: found by title from any process, their process named,
// and WM_COPYDATA (the data copied) and WM_PAINT handed to their native event handling.

#include "HelperWindowProcess.h"

#include "platform/Machine.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::kHelperTitle;
using testing_support::SendCopy;
using testing_support::WaitWithEvents;

// A window of this process that keeps what it hears.
class CListeningWindow : public QWidget {
public:
    std::vector<std::string> heard;

protected:
    bool nativeEvent(const QByteArray&, void* message, long* result) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_COPYDATA)
            return false;
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(msg->lParam);
        heard.emplace_back(static_cast<const char*>(copy->lpData), copy->cbData);
        *result = 7;
        return true;
    }
};

class WindowCalls : public testing::Test {
protected:
    HWND StartHelper() { return helper.Start(); }
    std::string Heard() const { return helper.Heard(); }

    // The helper's message port, as a sender that does not follow the rules would reach it.
    int ConnectToPort() const
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", helper.PortPath().c_str());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0) << address.sun_path;
        return fd;
    }

    testing_support::TempMachine machine;
    testing_support::CHelperWindowProcess helper {machine};
};

TEST_F(WindowCalls, AnotherProcesssWindowIsFoundByTitleAndHearsCopiesAndPaints)
{
    HWND window = StartHelper();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindowW(nullptr, L"HELPER WINDOW"), window) << "titles compare as Windows compares them";
    EXPECT_EQ(FindWindowW(L"QWidget", kHelperTitle), nullptr) << "no class is kept";
    EXPECT_EQ(FindWindowW(nullptr, L"Helper"), nullptr);
    DWORD processId = 0;
    EXPECT_NE(GetWindowThreadProcessId(window, &processId), 0u);
    EXPECT_EQ(processId, static_cast<DWORD>(helper.process.processId()));
    EXPECT_TRUE(IsWindowVisible(window));

    EXPECT_EQ(SendCopy(window, "abc", 42), 103);
    EXPECT_EQ(Heard(), "copy 42 abc shown\n");
    EXPECT_EQ(SendCopy(window, ""), 100);
    EXPECT_TRUE(PostMessageW(window, WM_PAINT, 0, 0));
    EXPECT_TRUE(WaitWithEvents([&] { return Heard() == "copy 42 abc shown\ncopy 0  shown\npaint\n"; })) << Heard();
    const std::string large(3 * 1024 * 1024, 'x');
    EXPECT_EQ(SendCopy(window, large), 100 + static_cast<LRESULT>(large.size()));

    // What cannot be copied does not cross.
    SetLastError(0);
    EXPECT_EQ(SendMessageW(window, 0x0401, 1, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // A hidden window is still found, and says it is hidden.
    EXPECT_EQ(SendCopy(window, "hide"), 104);
    EXPECT_EQ(FindWindowW(nullptr, kHelperTitle), window);
    EXPECT_FALSE(IsWindowVisible(window));

    EXPECT_EQ(SendCopy(window, "quit"), 104);
    ASSERT_TRUE(helper.process.waitForFinished(testing_support::kHelperWaitMs));
    EXPECT_EQ(FindWindowW(nullptr, kHelperTitle), nullptr);
    SetLastError(0);
    EXPECT_EQ(SendCopy(window, "late"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetWindowThreadProcessId(window, &processId), 0u);
    EXPECT_FALSE(PostMessageW(window, WM_PAINT, 0, 0));
}

TEST_F(WindowCalls, GarbageOnThePortAndAKilledProcessLeaveNothingBehind)
{
    HWND window = StartHelper();
    ASSERT_NE(window, nullptr);
    const std::vector<std::string> hostile = {
        std::string(3, 'z'),                // too short, then closed
        std::string(200, '\xff'),           // no request at all
        std::string("QGWM") + std::string(60, '\0'), // a header of another kind
    };
    for (const std::string& bytes : hostile) {
        const int fd = ConnectToPort();
        ASSERT_GE(fd, 0);
        EXPECT_GT(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), 0);
        close(fd);
    }
    // A sender that connects and says nothing holds no one up.
    const int silent = ConnectToPort();
    EXPECT_EQ(SendCopy(window, "still"), 105);
    close(silent);
    EXPECT_EQ(Heard(), "copy 0 still shown\n");

    helper.process.kill();
    ASSERT_TRUE(helper.process.waitForFinished(testing_support::kHelperWaitMs));
    EXPECT_EQ(FindWindowW(nullptr, kHelperTitle), nullptr) << "a dead process's window is gone";
    EXPECT_EQ(SendCopy(window, "gone"), 0);
}

TEST_F(WindowCalls, ThisProcesssWindowsHearSentMessagesAtOnceAndPostedOnesFromTheEventLoop)
{
    const wchar_t title[] = L"Own Window";
    EXPECT_EQ(FindWindowW(nullptr, title), nullptr);
    auto own = std::make_unique<CListeningWindow>();
    own->setWindowTitle(QString::fromWCharArray(title));
    const auto handle = reinterpret_cast<HWND>(own->winId());
    EXPECT_EQ(FindWindowW(nullptr, title), nullptr) << "known once shown";
    own->show();
    ASSERT_EQ(FindWindowW(nullptr, title), handle);
    DWORD processId = 0;
    GetWindowThreadProcessId(handle, &processId);
    EXPECT_EQ(processId, GetCurrentProcessId());

    EXPECT_EQ(SendCopy(handle, "sent"), 7);
    EXPECT_EQ(own->heard, std::vector<std::string>{"sent"});
    // Posted from another thread, with the data freed before the window hears it.
    std::thread poster([&] {
        auto data = std::make_unique<std::string>("posted");
        COPYDATASTRUCT copy {0, static_cast<DWORD>(data->size()), data->data()};
        EXPECT_TRUE(PostMessageW(handle, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)));
    });
    poster.join();
    EXPECT_EQ(own->heard.size(), 1u);
    ASSERT_TRUE(WaitWithEvents([&] { return own->heard.size() == 2; }));
    EXPECT_EQ(own->heard[1], "posted");
    // Sent from another thread, handled on this one.
    LRESULT answer = 0;
    std::thread sender([&] { answer = SendCopy(handle, "waited"); });
    ASSERT_TRUE(WaitWithEvents([&] { return own->heard.size() == 3; }));
    sender.join();
    EXPECT_EQ(answer, 7);

    own->hide();
    EXPECT_FALSE(IsWindowVisible(handle));
    EXPECT_EQ(FindWindowW(nullptr, title), handle);
    own.reset();
    EXPECT_EQ(FindWindowW(nullptr, title), nullptr);
    EXPECT_EQ(SendCopy(handle, "late"), 0);
}

} // namespace
