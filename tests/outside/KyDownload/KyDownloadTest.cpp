// The download library against a server of the test's own: only whole answers of http(s)
// addresses, within the session's bounds, reach the destination file.
#include "KyDownload.h"
#include "LocalHttpServer.h"
#include "UnzipFixture.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"

#include "support/WaitUntil.h"

#include <algorithm>
#include <filesystem>
#include <thread>

using namespace update_test;
using testing_support::ReadFile;

namespace {

template <class Function>
Function Bind(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class KyDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetProgramFolder(testing_support::BuildProgramFolder());
        const HMODULE module = LoadLibraryW(L"KyDownload.dll");
        ASSERT_NE(nullptr, module);
        init_ = Bind<decltype(&kyd_init)>(module, "kyd_init");
        download_ = Bind<decltype(&kyd_download)>(module, "kyd_download");
        uninit_ = Bind<decltype(&kyd_uninit)>(module, "kyd_uninit");
        setLimits_ = Bind<decltype(&kyd_set_limits)>(module, "kyd_set_limits");
        cancel_ = Bind<decltype(&kyd_cancel)>(module, "kyd_cancel");
        ASSERT_NE(nullptr, init_);
        ASSERT_NE(nullptr, download_);
        ASSERT_NE(nullptr, uninit_);
        ASSERT_EQ(KYD_OK, init_(&session_));
        ASSERT_NE(nullptr, session_);
    }

    void TearDown() override
    {
        if (session_) {
            EXPECT_EQ(KYD_OK, uninit_(session_));
        }
    }

    int Download(const std::wstring& url, const std::string& dest) { return download_(session_, url.c_str(), Wide(dest).c_str(), 0, 0, 1); }
    std::string Path(const std::string& name) const { return machine_.Root() + "/drive_c/files/" + name; }
    // Nothing but the given files in the download folder: no partial file stays behind.
    std::set<std::string> Files() const { return Listing(machine_.Root() + "/drive_c/files"); }

    testing_support::TempMachine machine_;
    LocalHttpServer server_;
    decltype(&kyd_init) init_ = nullptr;
    decltype(&kyd_download) download_ = nullptr;
    decltype(&kyd_uninit) uninit_ = nullptr;
    decltype(&kyd_set_limits) setLimits_ = nullptr;
    decltype(&kyd_cancel) cancel_ = nullptr;
    void* session_ = nullptr;
};

TEST_F(KyDownloadTest, AWholeAnswerReplacesTheDestination)
{
    const std::string body = Incompressible(3 << 20);
    server_.Serve("/big.bin", {200, body});
    machine_.WriteFile("drive_c/files/big.bin", "older");
    EXPECT_EQ(KYD_OK, Download(server_.WideUrl("/big.bin"), Path("big.bin")));
    EXPECT_EQ(body, ReadFile(Path("big.bin")));
    // The same session serves several downloads; an upper-case scheme is still http.
    server_.Serve("/empty", {200, ""});
    std::wstring upper = server_.WideUrl("/empty");
    upper.replace(0, 4, L"HTTP");
    EXPECT_EQ(KYD_OK, Download(upper, Path("empty")));
    EXPECT_EQ((std::set<std::string>{"big.bin", "empty"}), Files());
}

TEST_F(KyDownloadTest, RedirectsAreFollowedBetweenWebAddressesOnly)
{
    server_.Serve("/moved", {302, "", server_.Url("/target")});
    server_.Serve("/target", {200, "arrived"});
    server_.Serve("/to-file", {302, "", "file:///etc/passwd"});
    machine_.WriteFile("drive_c/files/.keep", "");
    EXPECT_EQ(KYD_OK, Download(server_.WideUrl("/moved"), Path("moved.txt")));
    EXPECT_EQ("arrived", ReadFile(Path("moved.txt")));
    EXPECT_NE(KYD_OK, Download(server_.WideUrl("/to-file"), Path("passwd")));
    EXPECT_EQ((std::set<std::string>{".keep", "moved.txt"}), Files());
}

TEST_F(KyDownloadTest, ErrorStatusesAndCutConnectionsLeaveTheDestinationAsItWas)
{
    server_.Serve("/error", {500, "trouble"});
    server_.Serve("/cut", {200, std::string(100000, 'c'), "", true});
    machine_.WriteFile("drive_c/files/kept.txt", "kept");
    EXPECT_EQ(KYD_HTTP_ERROR, Download(server_.WideUrl("/missing"), Path("kept.txt")));
    EXPECT_EQ(KYD_HTTP_ERROR, Download(server_.WideUrl("/error"), Path("kept.txt")));
    EXPECT_EQ(KYD_TRANSFER_FAILED, Download(server_.WideUrl("/cut"), Path("kept.txt")));
    EXPECT_EQ(KYD_TRANSFER_FAILED, Download(server_.WideUrl("/cut"), Path("new.txt")));
    EXPECT_EQ("kept", ReadFile(Path("kept.txt")));
    EXPECT_EQ((std::set<std::string>{"kept.txt"}), Files());
}

// A server that sends without end, or trickles just fast enough never to stall, holds the caller
// only as long as the session's bounds allow; the caller can end a transfer from another thread.
TEST_F(KyDownloadTest, ATransferEndsAtItsSizeItsDeadlineOrItsCancelAndLeavesNothing)
{
    ASSERT_NE(nullptr, setLimits_);
    ASSERT_NE(nullptr, cancel_);
    machine_.WriteFile("drive_c/files/kept.txt", "kept");
    server_.Serve("/exact", {200, std::string(1000, 'x')});
    server_.Serve("/announced", {200, std::string(1001, 'a')});
    server_.Serve("/endless", HttpReply::Endless(std::string(4096, 'e')));
    server_.Serve("/trickle", HttpReply::Trickle(std::string(100000, 't'), 20));

    ASSERT_EQ(KYD_OK, setLimits_(session_, 1000, 60000));
    EXPECT_EQ(KYD_OK, Download(server_.WideUrl("/exact"), Path("exact.txt")));
    EXPECT_EQ(KYD_TOO_LARGE, Download(server_.WideUrl("/announced"), Path("kept.txt")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_TOO_LARGE), GetLastError());
    EXPECT_EQ(KYD_TOO_LARGE, Download(server_.WideUrl("/endless"), Path("kept.txt")));

    ASSERT_EQ(KYD_OK, setLimits_(session_, 1 << 20, 300));
    EXPECT_EQ(KYD_TIMED_OUT, Download(server_.WideUrl("/trickle"), Path("kept.txt")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());

    ASSERT_EQ(KYD_OK, setLimits_(session_, 1 << 20, 600000));
    std::thread caller([this] {
        const auto trickles = [this] {
            const std::vector<std::string> paths = server_.RequestedPaths();
            return std::count(paths.begin(), paths.end(), "/trickle");
        };
        testing_support::WaitUntil([&] { return trickles() == 2; });
        cancel_(session_);
    });
    EXPECT_EQ(KYD_CANCELLED, Download(server_.WideUrl("/trickle"), Path("kept.txt")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANCELLED), GetLastError());
    caller.join();
    // The session's later downloads end before they start.
    EXPECT_EQ(KYD_CANCELLED, Download(server_.WideUrl("/exact"), Path("kept.txt")));
    EXPECT_EQ(std::string(1000, 'x'), ReadFile(Path("exact.txt")));
    EXPECT_EQ("kept", ReadFile(Path("kept.txt")));
    EXPECT_EQ((std::set<std::string>{"exact.txt", "kept.txt"}), Files());
}

TEST_F(KyDownloadTest, OnlyHttpAndHttpsAddressesAreFetched)
{
    machine_.WriteFile("drive_c/files/.keep", "");
    for (const wchar_t* url : {L"file:///etc/hostname", L"ftp://127.0.0.1/x", L"gopher://127.0.0.1/", L"127.0.0.1/x",
                               L"", L"httpx://127.0.0.1/", L"http:/127.0.0.1/"})
        EXPECT_EQ(KYD_BAD_SCHEME, Download(url, Path("out"))) << url;
    EXPECT_EQ((std::set<std::string>{".keep"}), Files());
}

TEST_F(KyDownloadTest, BadArgumentsAndUnwritableDestinationsAreRefused)
{
    server_.Serve("/a", {200, "a"});
    EXPECT_EQ(KYD_BAD_ARGUMENT, init_(nullptr));
    EXPECT_EQ(KYD_BAD_ARGUMENT, download_(nullptr, L"http://127.0.0.1/", L"x", 0, 0, 1));
    EXPECT_EQ(KYD_BAD_ARGUMENT, download_(session_, nullptr, L"x", 0, 0, 1));
    EXPECT_EQ(KYD_BAD_ARGUMENT, download_(session_, L"http://127.0.0.1/", nullptr, 0, 0, 1));
    EXPECT_EQ(KYD_BAD_ARGUMENT, uninit_(nullptr));
    EXPECT_EQ(KYD_BAD_ARGUMENT, setLimits_(nullptr, 1, 1));
    EXPECT_EQ(KYD_BAD_ARGUMENT, setLimits_(session_, 0, 1));
    EXPECT_EQ(KYD_BAD_ARGUMENT, setLimits_(session_, 1, 0));
    EXPECT_EQ(KYD_BAD_ARGUMENT, cancel_(nullptr));
    EXPECT_EQ(KYD_FILE_ERROR, Download(server_.WideUrl("/a"), Path("no/such/folder/a")));
}

} // namespace
