// Deleting what a listing found by one handle: links opened themselves, folders listed through
// their handles with each entry's file index, names opened, made and moved relative to a folder held
// open, and a delete by handle that removes exactly the opened file whatever was swapped on its path.
#include "FileTestSupport.h"

#include "platform/HostMode.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cwchar>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <vector>

using files_test::HandleGuard;
using files_test::ReadText;
using files_test::WriteText;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenForDelete(const std::wstring& path, DWORD flags = 0)
{
    return CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

HANDLE OpenFolder(const std::wstring& path)
{
    return CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

BY_HANDLE_FILE_INFORMATION InfoOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(GetFileInformationByHandle(handle, &info));
    return info;
}

uint64_t IndexOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    return (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

BOOL Dispose(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition));
}

NTSTATUS OpenIn(HANDLE folder, const std::wstring& name, HANDLE& opened, ULONG options, DWORD access = DELETE)
{
    UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(WCHAR)), static_cast<USHORT>(name.size() * sizeof(WCHAR)),
                        const_cast<WCHAR*>(name.data())};
    OBJECT_ATTRIBUTES attributes{sizeof(OBJECT_ATTRIBUTES), folder, &text, 0, nullptr, nullptr};
    IO_STATUS_BLOCK io{};
    return NtOpenFile(&opened, access | FILE_READ_ATTRIBUTES, &attributes, &io, kShareAll, options);
}

// Every entry the folder's handle lists, by name, with its file index and attributes.
std::map<std::wstring, std::pair<uint64_t, DWORD>> Listed(HANDLE folder, DWORD bufferSize = 4096)
{
    std::map<std::wstring, std::pair<uint64_t, DWORD>> entries;
    std::vector<uint64_t> buffer(bufferSize / sizeof(uint64_t) + 1);
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(folder, kind, buffer.data(), bufferSize)) {
        kind = FileIdBothDirectoryInfo;
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
        for (size_t offset = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
            entries[std::wstring(entry->FileName, entry->FileNameLength / sizeof(WCHAR))] = {
                static_cast<uint64_t>(entry->FileId.QuadPart), entry->FileAttributes};
            if (!entry->NextEntryOffset)
                break;
            offset += entry->NextEntryOffset;
        }
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    return entries;
}

} // namespace

TEST(DeleteByHandle, AFolderIsListedThroughItsHandleWithEachEntrysFileIndex)
{
    testing_support::TempMachine machine;
    namespace fs = std::filesystem;
    const std::string folder = machine.Root() + "/drive_c/list";
    fs::create_directories(folder + "/sub");
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(WriteText(L"C:\\list\\file-with-a-long-name-" + std::to_wstring(i), "x"));
    fs::create_directory_symlink(folder + "/sub", folder + "/link");

    HandleGuard handle(OpenFolder(L"C:\\list"));
    ASSERT_TRUE(handle.valid());
    // A small buffer takes several calls; a restart lists everything again.
    const auto entries = Listed(handle.get(), 1024);
    EXPECT_EQ(entries, Listed(handle.get(), 64 * 1024));
    ASSERT_EQ(302u, entries.size());
    EXPECT_EQ(0u, entries.count(L"."));
    HandleGuard file(OpenForDelete(L"C:\\list\\file-with-a-long-name-7"));
    EXPECT_EQ(IndexOf(InfoOf(file.get())), entries.at(L"file-with-a-long-name-7").first);
    EXPECT_TRUE(entries.at(L"link").second & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE(entries.at(L"sub").second & FILE_ATTRIBUTE_DIRECTORY);

    char tiny[16];
    EXPECT_FALSE(GetFileInformationByHandleEx(handle.get(), FileIdBothDirectoryRestartInfo, tiny, sizeof(tiny)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
    EXPECT_FALSE(GetFileInformationByHandleEx(file.get(), FileIdBothDirectoryInfo, tiny, sizeof(tiny)));
    EXPECT_FALSE(GetFileInformationByHandleEx(nullptr, FileIdBothDirectoryInfo, tiny, sizeof(tiny)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST(DeleteByHandle, TheOpenedFileGoesAndNothingThatTookItsNameOrPathSince)
{
    testing_support::TempMachine machine;
    namespace fs = std::filesystem;
    const std::string c = machine.Root() + "/drive_c";
    fs::create_directories(c + "/junk");
    fs::create_directories(c + "/docs");
    ASSERT_TRUE(WriteText(L"C:\\junk\\a.tmp", "junk"));
    ASSERT_TRUE(WriteText(L"C:\\junk\\b.tmp", "junk"));
    ASSERT_TRUE(WriteText(L"C:\\docs\\a.tmp", "document"));
    ASSERT_TRUE(WriteText(L"C:\\docs\\b.tmp", "document"));
    fs::create_symlink(c + "/docs/a.tmp", c + "/junk/link.tmp");

    // A link is opened itself and removed, never what it leads to.
    HandleGuard link(OpenForDelete(L"C:\\junk\\link.tmp"));
    ASSERT_TRUE(link.valid());
    EXPECT_TRUE(InfoOf(link.get()).dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE(Dispose(link.get()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(c + "/junk/link.tmp")));
    EXPECT_EQ("document", ReadText(L"C:\\docs\\a.tmp"));

    // Another file renamed onto the opened name after its check by the handle: the delete refuses,
    // and takes neither.
    HandleGuard opened(OpenForDelete(L"C:\\junk\\a.tmp"));
    ASSERT_TRUE(opened.valid());
    EXPECT_EQ(1u, InfoOf(opened.get()).nNumberOfLinks);
    fs::rename(c + "/junk/a.tmp", c + "/moved.tmp");
    fs::copy_file(c + "/docs/a.tmp", c + "/junk/a.tmp");
    EXPECT_FALSE(Dispose(opened.get()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ("document", ReadText(L"C:\\junk\\a.tmp"));
    EXPECT_EQ("junk", testing_support::ReadFile(c + "/moved.tmp"));

    // The folder held open: after its path is swapped for a link to the documents, a name opened
    // relative to it is still the folder's own, and goes.
    HandleGuard folder(OpenFolder(L"C:\\junk"));
    ASSERT_TRUE(folder.valid());
    fs::rename(c + "/junk", c + "/junk-away");
    fs::create_directory_symlink(c + "/docs", c + "/junk");
    HANDLE entry = nullptr;
    ASSERT_EQ(STATUS_SUCCESS, OpenIn(folder.get(), L"b.tmp", entry, FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT));
    HandleGuard entryGuard(entry);
    EXPECT_TRUE(Dispose(entry));
    EXPECT_FALSE(fs::exists(c + "/junk-away/b.tmp"));
    EXPECT_EQ("document", ReadText(L"C:\\docs\\b.tmp"));

    // A folder handle whose path is now a link: the link itself, which lists nothing.
    HandleGuard swapped(OpenFolder(L"C:\\junk"));
    ASSERT_TRUE(swapped.valid());
    EXPECT_TRUE(InfoOf(swapped.get()).dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_FALSE(NT_SUCCESS(OpenIn(swapped.get(), L"b.tmp", entry, FILE_NON_DIRECTORY_FILE)));
    EXPECT_TRUE(fs::exists(c + "/docs/b.tmp"));
}

TEST(DeleteByHandle, BadRequestsGetClearErrorsAndDeleteNothing)
{
    testing_support::TempMachine machine;
    namespace fs = std::filesystem;
    const std::string c = machine.Root() + "/drive_c";
    fs::create_directories(c + "/f/sub");
    ASSERT_TRUE(WriteText(L"C:\\f\\a.tmp", "a"));
    ASSERT_TRUE(WriteText(L"C:\\f\\sub\\b.tmp", "b"));
    HandleGuard folder(OpenFolder(L"C:\\f"));
    ASSERT_TRUE(folder.valid());
    HANDLE entry = nullptr;
    for (const std::wstring& name : {std::wstring(), std::wstring(L".."), std::wstring(L"sub\\b.tmp"), std::wstring(L"a\0b", 3)})
        EXPECT_EQ(STATUS_OBJECT_NAME_INVALID, OpenIn(folder.get(), name, entry, 0));
    EXPECT_EQ(STATUS_OBJECT_NAME_NOT_FOUND, OpenIn(folder.get(), L"missing", entry, 0));
    EXPECT_EQ(STATUS_INVALID_HANDLE, OpenIn(nullptr, L"a.tmp", entry, 0));
    EXPECT_EQ(STATUS_FILE_IS_A_DIRECTORY, OpenIn(folder.get(), L"sub", entry, FILE_NON_DIRECTORY_FILE));
    EXPECT_EQ(STATUS_NOT_A_DIRECTORY, OpenIn(folder.get(), L"a.tmp", entry, FILE_DIRECTORY_FILE));
    EXPECT_EQ(static_cast<ULONG>(ERROR_FILE_NOT_FOUND), RtlNtStatusToDosError(STATUS_OBJECT_NAME_NOT_FOUND));

    // A folder that still holds something stays; a handle without DELETE access deletes nothing.
    ASSERT_EQ(STATUS_SUCCESS, OpenIn(folder.get(), L"sub", entry, FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT));
    HandleGuard sub(entry);
    EXPECT_FALSE(Dispose(sub.get()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), GetLastError());
    EXPECT_FALSE(Dispose(folder.get()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    // A file held without leave to delete it cannot be opened for deletion.
    HandleGuard held(CreateFileW(L"C:\\f\\a.tmp", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());
    EXPECT_EQ(STATUS_SHARING_VIOLATION, OpenIn(folder.get(), L"a.tmp", entry, FILE_NON_DIRECTORY_FILE));
    // A file made read-only right after its check, within the change time's tick, is refused.
    ASSERT_TRUE(WriteText(L"C:\\f\\ro.tmp", "kept"));
    HandleGuard readOnly(OpenForDelete(L"C:\\f\\ro.tmp"));
    ASSERT_TRUE(readOnly.valid());
    EXPECT_FALSE(InfoOf(readOnly.get()).dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    fs::permissions(c + "/f/ro.tmp", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(Dispose(readOnly.get()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_TRUE(fs::exists(c + "/f/ro.tmp"));
    // Its attribute is cleared through a handle with leave to write attributes, times of zero left
    // as they are; then it goes.
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    EXPECT_FALSE(SetFileInformationByHandle(readOnly.get(), FileBasicInfo, &basic, sizeof(basic)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    HandleGuard writable(CreateFileW(L"C:\\f\\ro.tmp", DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    ASSERT_TRUE(writable.valid());
    const BY_HANDLE_FILE_INFORMATION before = InfoOf(writable.get());
    EXPECT_TRUE(SetFileInformationByHandle(writable.get(), FileBasicInfo, &basic, sizeof(basic)));
    const BY_HANDLE_FILE_INFORMATION after = InfoOf(writable.get());
    EXPECT_FALSE(after.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(before.ftLastWriteTime.dwLowDateTime, after.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(before.ftLastWriteTime.dwHighDateTime, after.ftLastWriteTime.dwHighDateTime);
    EXPECT_TRUE(Dispose(writable.get()));
    FILE_DISPOSITION_INFO disposition{TRUE};
    EXPECT_FALSE(SetFileInformationByHandle(folder.get(), FileDispositionInfo, &disposition, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_TRUE(fs::exists(c + "/f/a.tmp"));
    EXPECT_TRUE(fs::exists(c + "/f/sub/b.tmp"));
}

namespace {

NTSTATUS CreateIn(HANDLE folder, const std::wstring& name, HANDLE& made, ULONG disposition, ULONG options,
                  ULONG_PTR& information)
{
    UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(WCHAR)), static_cast<USHORT>(name.size() * sizeof(WCHAR)),
                        const_cast<WCHAR*>(name.data())};
    OBJECT_ATTRIBUTES attributes{sizeof(OBJECT_ATTRIBUTES), folder, &text, OBJ_CASE_INSENSITIVE, nullptr, nullptr};
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = NtCreateFile(&made, GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, &attributes, &io, nullptr,
                                         FILE_ATTRIBUTE_NORMAL, kShareAll, disposition, options, nullptr, 0);
    information = io.Information;
    return status;
}

BOOL MoveTo(HANDLE file, HANDLE folder, const std::wstring& name, bool replace)
{
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(WCHAR));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace;
    rename->RootDirectory = folder;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(WCHAR));
    std::copy(name.begin(), name.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()));
}

} // namespace

TEST(DeleteByHandle, NamesAreMadeAndMovedInAHeldFolderNeverThroughALink)
{
    testing_support::TempMachine machine;
    namespace fs = std::filesystem;
    const std::string c = machine.Root() + "/drive_c";
    fs::create_directories(c + "/f/sub");
    fs::create_directories(c + "/docs");
    ASSERT_TRUE(WriteText(L"C:\\docs\\doc.txt", "document"));
    ASSERT_TRUE(WriteText(L"C:\\f\\a.txt", "old"));
    fs::create_symlink(c + "/docs/doc.txt", c + "/f/link.txt");
    fs::create_directory_symlink(c + "/docs", c + "/f/linkdir");
    ASSERT_EQ(0, mkfifo((c + "/f/fifo").c_str(), 0600));
    HandleGuard folder(OpenFolder(L"C:\\f"));
    ASSERT_TRUE(folder.valid());

    struct Case {
        const wchar_t* name;
        ULONG disposition;
        ULONG options;
        NTSTATUS status;
        ULONG_PTR information;
    };
    const Case cases[] = {
        {L"new.txt", FILE_CREATE, FILE_NON_DIRECTORY_FILE, STATUS_SUCCESS, FILE_CREATED},
        {L"A.TXT", FILE_CREATE, FILE_NON_DIRECTORY_FILE, STATUS_OBJECT_NAME_COLLISION, 0},
        {L"link.txt", FILE_CREATE, FILE_NON_DIRECTORY_FILE, STATUS_OBJECT_NAME_COLLISION, 0},
        {L"a.txt", FILE_OVERWRITE_IF, FILE_NON_DIRECTORY_FILE, STATUS_SUCCESS, FILE_OVERWRITTEN},
        {L"fresh.txt", FILE_OVERWRITE_IF, FILE_NON_DIRECTORY_FILE, STATUS_SUCCESS, FILE_CREATED},
        {L"link.txt", FILE_OVERWRITE_IF, FILE_NON_DIRECTORY_FILE, STATUS_ACCESS_DENIED, 0},
        {L"fifo", FILE_OVERWRITE_IF, FILE_NON_DIRECTORY_FILE, STATUS_ACCESS_DENIED, 0},
        {L"sub", FILE_OVERWRITE_IF, FILE_NON_DIRECTORY_FILE, STATUS_FILE_IS_A_DIRECTORY, 0},
        {L"made", FILE_CREATE, FILE_DIRECTORY_FILE, STATUS_SUCCESS, FILE_CREATED},
        {L"sub", FILE_CREATE, FILE_DIRECTORY_FILE, STATUS_OBJECT_NAME_COLLISION, 0},
        {L"SUB", FILE_OPEN_IF, FILE_DIRECTORY_FILE, STATUS_SUCCESS, FILE_OPENED},
        {L"more", FILE_OPEN_IF, FILE_DIRECTORY_FILE, STATUS_SUCCESS, FILE_CREATED},
        {L"linkdir", FILE_CREATE, FILE_DIRECTORY_FILE, STATUS_OBJECT_NAME_COLLISION, 0},
        {L"linkdir", FILE_OPEN_IF, FILE_DIRECTORY_FILE, STATUS_ACCESS_DENIED, 0},
        {L"a.txt", FILE_OPEN_IF, FILE_DIRECTORY_FILE, STATUS_NOT_A_DIRECTORY, 0},
        {L"sub\\x.txt", FILE_CREATE, FILE_NON_DIRECTORY_FILE, STATUS_OBJECT_NAME_INVALID, 0},
        {L"x.txt", 7, FILE_NON_DIRECTORY_FILE, STATUS_INVALID_PARAMETER, 0},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(testing::Message() << std::string(one.name, one.name + wcslen(one.name)) << " " << one.disposition);
        HANDLE made = nullptr;
        ULONG_PTR information = 99;
        EXPECT_EQ(one.status, CreateIn(folder.get(), one.name, made, one.disposition, one.options, information));
        HandleGuard guard(made ? made : INVALID_HANDLE_VALUE);
        if (one.status == STATUS_SUCCESS) {
            EXPECT_EQ(one.information, information);
            EXPECT_EQ((one.options & FILE_DIRECTORY_FILE) != 0,
                      (InfoOf(made).dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    }
    EXPECT_EQ(static_cast<ULONG>(ERROR_ALREADY_EXISTS), RtlNtStatusToDosError(STATUS_OBJECT_NAME_COLLISION));
    EXPECT_EQ("", ReadText(L"C:\\f\\a.txt"));
    EXPECT_EQ("document", ReadText(L"C:\\docs\\doc.txt"));
    EXPECT_FALSE(fs::exists(c + "/f/SUB"));
    EXPECT_EQ(fs::file_type::fifo, fs::symlink_status(c + "/f/fifo").type());

    // A file made in the held folder moves by its handle into another held folder, then within it;
    // a name in the way is kept unless the move replaces it, and a link in the way is replaced itself.
    HANDLE made = nullptr;
    ULONG_PTR information = 0;
    ASSERT_EQ(STATUS_SUCCESS, CreateIn(folder.get(), L"r.txt", made, FILE_CREATE, FILE_NON_DIRECTORY_FILE, information));
    HandleGuard file(made);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), "r", 1, &written, nullptr));
    HandleGuard sub(OpenFolder(L"C:\\f\\sub"));
    EXPECT_TRUE(MoveTo(file.get(), sub.get(), L"moved.txt", false));
    EXPECT_TRUE(MoveTo(file.get(), nullptr, L"again.txt", false));
    EXPECT_EQ("r", testing_support::ReadFile(c + "/f/sub/again.txt"));
    EXPECT_FALSE(MoveTo(file.get(), folder.get(), L"new.txt", false));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_FALSE(MoveTo(file.get(), folder.get(), L"made", true));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_FALSE(MoveTo(file.get(), folder.get(), L"sub\\x.txt", true));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
    EXPECT_TRUE(MoveTo(file.get(), folder.get(), L"link.txt", true));
    EXPECT_EQ(fs::file_type::regular, fs::symlink_status(c + "/f/link.txt").type());
    EXPECT_EQ("document", ReadText(L"C:\\docs\\doc.txt"));
    // It takes another file's permission bits by their handles, never a set-id bit.
    fs::permissions(c + "/f/new.txt", fs::perms::owner_all | fs::perms::group_read | fs::perms::set_uid);
    HandleGuard model(OpenForDelete(L"C:\\f\\new.txt"));
    EXPECT_TRUE(platform::TakeHostMode(file.get(), model.get()));
    EXPECT_EQ(fs::perms::owner_all | fs::perms::group_read, fs::status(c + "/f/link.txt").permissions());

    // The held folder's path swapped for a link to the documents: the move still lands in the held
    // folder. A handle whose name now names another file moves nothing.
    fs::rename(c + "/f", c + "/f-away");
    fs::create_directory_symlink(c + "/docs", c + "/f");
    EXPECT_TRUE(MoveTo(file.get(), folder.get(), L"doc.txt", true));
    EXPECT_EQ("r", testing_support::ReadFile(c + "/f-away/doc.txt"));
    EXPECT_EQ("document", testing_support::ReadFile(c + "/docs/doc.txt"));
    fs::rename(c + "/f-away/doc.txt", c + "/f-away/elsewhere.txt");
    fs::copy_file(c + "/docs/doc.txt", c + "/f-away/doc.txt");
    EXPECT_FALSE(MoveTo(file.get(), folder.get(), L"last.txt", false));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(fs::exists(c + "/f-away/last.txt"));
}
