#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::TempMachine;

namespace {

int Delete(const std::wstring& names, WORD flags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI)
{
    std::wstring list = names;
    list.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = flags;
    return SHFileOperationW(&operation);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Message(DWORD code)
{
    LPWSTR text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                            FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length == 0)
        return L"";
    std::wstring copy(text, length);
    EXPECT_EQ(LocalFree(text), nullptr);
    return copy;
}

} // namespace

TEST(ShellFileOperation, DeletesFilesAndFoldersForGoodAndReportsWhatStoppedIt)
{
    TempMachine machine;
    machine.WriteMachineIni("[Drive D]\nFolder=data\n[Drive R]\nFolder=ro\nReadOnly=1\n");
    machine.WriteFile("data/a.bin", "a");
    machine.WriteFile("data/b.bin", "b");
    machine.WriteFile("data/tree/x/y.bin", "y");
    machine.WriteFile("data/locked.bin", "l");
    machine.WriteFile("data/readonly.bin", "r");
    machine.WriteFile("ro/kept.bin", "k");

    EXPECT_EQ(Delete(std::wstring(L"D:\\a.bin") + L'\0' + L"D:\\b.bin"), 0);
    EXPECT_FALSE(Exists(L"D:\\a.bin"));
    EXPECT_FALSE(Exists(L"D:\\b.bin"));
    EXPECT_EQ(Delete(L"D:\\tree"), 0);
    EXPECT_FALSE(Exists(L"D:\\tree"));
    EXPECT_EQ(Delete(L"D:\\a.bin"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Delete(L"D:\\gone\\a.bin"), ERROR_FILE_NOT_FOUND);

    // Held open without delete sharing: in use, and still there.
    HANDLE held = CreateFileW(L"D:\\locked.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Delete(L"D:\\locked.bin"), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(Exists(L"D:\\locked.bin"));
    CloseHandle(held);
    EXPECT_EQ(Delete(L"D:\\locked.bin"), 0);

    // Read-only: only without confirmation.
    ASSERT_TRUE(SetFileAttributesW(L"D:\\readonly.bin", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Delete(L"D:\\readonly.bin", FOF_SILENT | FOF_NOERRORUI), ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetFileAttributesW(L"D:\\readonly.bin") & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Delete(L"D:\\readonly.bin"), 0);

    EXPECT_EQ(Delete(L"R:\\kept.bin"), ERROR_WRITE_PROTECT);
    EXPECT_TRUE(Exists(L"R:\\kept.bin"));
}

TEST(ShellFileOperation, RefusesUndoOtherOperationsAndNoList)
{
    TempMachine machine;
    machine.WriteMachineIni("[Drive D]\nFolder=data\n");
    machine.WriteFile("data/a.bin", "a");
    EXPECT_EQ(Delete(L"D:\\a.bin", FOF_ALLOWUNDO | FOF_NOCONFIRMATION), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(Exists(L"D:\\a.bin"));
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    EXPECT_EQ(SHFileOperationW(&operation), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SHFileOperationW(nullptr), ERROR_INVALID_PARAMETER);
}

TEST(ShellFileOperation, DeletesFilesWhosePathsAreLongerThanMaxPath)
{
    TempMachine machine;
    machine.WriteMachineIni("[Drive D]\nFolder=data\n");
    std::string host = "data";
    std::wstring windows = L"D:";
    for (int i = 0; i < 20; ++i) {
        host += "/a-rather-long-folder-name-" + std::to_string(i);
        windows += L"\\a-rather-long-folder-name-" + std::to_wstring(i);
    }
    machine.WriteFile(host + "/big.iso", "data");
    windows += L"\\big.iso";
    ASSERT_GT(windows.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(Delete(windows), 0);
    EXPECT_FALSE(Exists(windows));
}

TEST(SystemMessages, TextsOfWindowsErrorsInTheUsersLanguage)
{
    EXPECT_EQ(Message(ERROR_SHARING_VIOLATION),
              L"The process cannot access the file because it is being used by another process.\r\n");
    EXPECT_EQ(Message(ERROR_ACCESS_DENIED), L"Access is denied.\r\n");
    EXPECT_EQ(Message(ERROR_NO_ASSOCIATION), L"No application is associated with the specified file for this operation.\r\n");
    EXPECT_EQ(Message(0x7C0FFEE), L"");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));

    WCHAR small[8];
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small, 8, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    WCHAR enough[64];
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, enough, 64, nullptr), 19u);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, MAKELANGID(0x07, 1), enough, 64,
                             nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
}
