// The shell's link object: ".lnk" files written and read through IShellLinkW and IPersistFile, in
// the documented format, as the shell writes them too.
#include "support/ShellLinks.h"
#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string Le(uint32_t value, size_t width)
{
    std::string bytes;
    for (size_t i = 0; i < width; ++i, value >>= 8)
        bytes += static_cast<char>(value & 0xFF);
    return bytes;
}

// A link as the shell writes one on an older Windows: an item list, a link information without
// Unicode fields, ANSI strings, an environment block and a property block we do not read.
std::string ShellWrittenLink()
{
    std::string header = Le(0x4C, 4) + std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
    const uint32_t flags = 0x1 | 0x2 | 0x4 | 0x10 | 0x20 | 0x40 | 0x200;
    header += Le(flags, 4) + Le(0x20, 4) + std::string(24, '\0') + Le(1234, 4) + Le(3, 4) + Le(7, 4) + Le(0x0641, 2) +
              std::string(10, '\0');
    const std::string idList = Le(6, 2) + std::string("\x04\x00\xAA\xBB\x00\x00", 6);
    const std::string volume = Le(0x11, 4) + Le(3, 4) + Le(0x1234, 4) + Le(0x10, 4) + std::string(1, '\0');
    const std::string base = "C:\\Apps\\";
    const std::string suffix = "Tool.exe";
    const uint32_t volumeAt = 0x1C;
    const uint32_t baseAt = volumeAt + static_cast<uint32_t>(volume.size());
    const uint32_t suffixAt = baseAt + static_cast<uint32_t>(base.size()) + 1;
    const uint32_t size = suffixAt + static_cast<uint32_t>(suffix.size()) + 1;
    const std::string linkInfo = Le(size, 4) + Le(0x1C, 4) + Le(1, 4) + Le(volumeAt, 4) + Le(baseAt, 4) + Le(0, 4) +
                                 Le(suffixAt, 4) + volume + base + '\0' + suffix + '\0';
    auto ansi = [](const std::string& text) { return Le(static_cast<uint32_t>(text.size()), 2) + text; };
    std::string environment = Le(0x314, 4) + Le(0xA0000001, 4) + std::string(260 + 520, '\0');
    environment.replace(8, 13, "%Tools%\\x.exe");
    const std::string property = Le(12, 4) + Le(0xA0000009, 4) + Le(0xDEADBEEF, 4);
    return header + idList + linkInfo + ansi("A tool") + ansi("C:\\Apps") + ansi("--fast") + ansi("C:\\Apps\\tool.ico") +
           environment + property + Le(0, 4);
}

// A link object with both of its interfaces, and its texts as the getters give them.
class CLinkObject : public testing_support::CShellLinkHandle {
public:
    CLinkObject()
    {
        EXPECT_NE(nullptr, link);
        EXPECT_NE(nullptr, file);
    }

    std::wstring Path(DWORD flags = 0, int chars = MAX_PATH) const
    {
        return Text([&](wchar_t* buffer, int size) { return link->GetPath(buffer, size, nullptr, flags); }, chars);
    }
    std::wstring Description() const
    {
        return Text([&](wchar_t* buffer, int size) { return link->GetDescription(buffer, size); });
    }
    std::wstring Arguments() const
    {
        return Text([&](wchar_t* buffer, int size) { return link->GetArguments(buffer, size); });
    }
    std::wstring WorkingDirectory() const
    {
        return Text([&](wchar_t* buffer, int size) { return link->GetWorkingDirectory(buffer, size); });
    }
    std::wstring Icon(int& index) const
    {
        return Text([&](wchar_t* buffer, int size) { return link->GetIconLocation(buffer, size, &index); });
    }
    WORD Hotkey() const
    {
        WORD key = 0;
        EXPECT_EQ(S_OK, link->GetHotkey(&key));
        return key;
    }
    int ShowCmd() const
    {
        int show = 0;
        EXPECT_EQ(S_OK, link->GetShowCmd(&show));
        return show;
    }

private:
    template <class Getter>
    static std::wstring Text(Getter get, int chars = MAX_PATH)
    {
        std::vector<wchar_t> buffer(static_cast<size_t>(chars), L'#');
        EXPECT_TRUE(SUCCEEDED(get(buffer.data(), chars)));
        return buffer.data();
    }
};

class ShellLinkTest : public testing::Test {
protected:
    std::wstring WriteBytes(const std::string& name, const std::string& bytes) const
    {
        return platform::WindowsPath(machine_.WriteFile("drive_c/links/" + name, bytes));
    }

    testing_support::TempMachine machine_;
};

TEST_F(ShellLinkTest, WhatIsWrittenIsReadBack)
{
    const std::wstring path = WriteBytes("a.lnk", "");
    {
        CLinkObject written;
        EXPECT_EQ(S_FALSE, written.link->GetPath(std::vector<wchar_t>(8).data(), 8, nullptr, 0)) << "no target yet";
        EXPECT_EQ(S_OK, written.link->SetPath(L"C:\\Program Files\\Orvane\\Zürich tool.exe"));
        EXPECT_EQ(S_OK, written.link->SetDescription(L"Description"));
        EXPECT_EQ(S_OK, written.link->SetArguments(L"--a \"b c\""));
        EXPECT_EQ(S_OK, written.link->SetWorkingDirectory(L"C:\\Work"));
        EXPECT_EQ(S_OK, written.link->SetIconLocation(L"C:\\icons\\tool.ico", 4));
        EXPECT_EQ(S_OK, written.link->SetHotkey(0x0354));
        EXPECT_EQ(S_OK, written.link->SetShowCmd(7));
        ASSERT_EQ(S_OK, written.file->Save(path.c_str(), TRUE));
    }

    CLinkObject read;
    ASSERT_EQ(S_OK, read.file->Load(path.c_str(), STGM_READ));
    EXPECT_EQ(L"C:\\Program Files\\Orvane\\Zürich tool.exe", read.Path());
    EXPECT_EQ(L"C:\\Program", read.Path(0, 11)) << "cut to the buffer";
    EXPECT_EQ(L"Description", read.Description());
    EXPECT_EQ(L"--a \"b c\"", read.Arguments());
    EXPECT_EQ(L"C:\\Work", read.WorkingDirectory());
    int index = 0;
    EXPECT_EQ(L"C:\\icons\\tool.ico", read.Icon(index));
    EXPECT_EQ(4, index);
    EXPECT_EQ(0x0354, read.Hotkey());
    EXPECT_EQ(7, read.ShowCmd());
    EXPECT_EQ((std::vector<std::string> {"a.lnk"}), [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(machine_.Root()) / "drive_c" / "links"))
            names.push_back(entry.path().filename().string());
        return names;
    }());
}

TEST_F(ShellLinkTest, ReadsALinkTheShellWrote)
{
    CLinkObject link;
    ASSERT_EQ(S_OK, link.file->Load(WriteBytes("shell.lnk", ShellWrittenLink()).c_str(), STGM_READ));
    EXPECT_EQ(L"C:\\Apps\\Tool.exe", link.Path());
    EXPECT_EQ(L"A tool", link.Description());
    EXPECT_EQ(L"C:\\Apps", link.WorkingDirectory());
    EXPECT_EQ(L"--fast", link.Arguments());
    int index = 0;
    EXPECT_EQ(L"C:\\Apps\\tool.ico", link.Icon(index));
    EXPECT_EQ(3, index);
    EXPECT_EQ(7, link.ShowCmd());
    EXPECT_EQ(0x0641, link.Hotkey());

    machine_.WriteFile("drive_c/Apps/Tool.exe", "");
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameW(L"C:\\Apps\\Tool.exe", shortPath, MAX_PATH));
    EXPECT_EQ(shortPath, link.Path(SLGP_SHORTPATH));
    WIN32_FIND_DATAW found {};
    wchar_t target[MAX_PATH] = {};
    EXPECT_EQ(S_OK, link.link->GetPath(target, MAX_PATH, &found, 0));
    EXPECT_STREQ(L"Tool.exe", found.cFileName);
}

TEST_F(ShellLinkTest, ANewIconKeepsEverythingElseOfTheFile)
{
    const std::string original = ShellWrittenLink();
    const std::wstring path = WriteBytes("shell.lnk", original);
    {
        CLinkObject link;
        ASSERT_EQ(S_OK, link.file->Load(path.c_str(), STGM_READWRITE));
        EXPECT_EQ(S_OK, link.link->SetIconLocation(L"C:\\new\\icon.ico", 3));
        ASSERT_EQ(S_OK, link.file->Save(nullptr, TRUE)) << "the file it was loaded from";
    }

    const std::string saved = testing_support::ReadFile(platform::HostPath(path));
    EXPECT_EQ(original.substr(24, 52), saved.substr(24, 52)); // attributes, times, size, index, show, hot key
    EXPECT_NE(std::string::npos, saved.find(std::string("\x04\x00\xAA\xBB\x00\x00", 6))); // the item list
    EXPECT_NE(std::string::npos, saved.find(Le(0xA0000009, 4) + Le(0xDEADBEEF, 4)));     // the unread block
    CLinkObject read;
    ASSERT_EQ(S_OK, read.file->Load(path.c_str(), STGM_READ));
    EXPECT_EQ(L"C:\\Apps\\Tool.exe", read.Path());
    EXPECT_EQ(L"A tool", read.Description());
    int index = 0;
    EXPECT_EQ(L"C:\\new\\icon.ico", read.Icon(index));
    EXPECT_EQ(3, index);
}

TEST_F(ShellLinkTest, TheEnvironmentBlockNamesTheTargetWhenThereIsNoLinkInformation)
{
    std::string bytes = ShellWrittenLink();
    bytes[20] = static_cast<char>(bytes[20] & ~0x2); // no link information
    const size_t infoAt = 0x4C + 8;
    bytes.erase(infoAt, static_cast<unsigned char>(bytes[infoAt])); // its size, below 256 here
    SetEnvironmentVariableW(L"Tools", L"C:\\Tools");
    CLinkObject link;
    ASSERT_EQ(S_OK, link.file->Load(WriteBytes("env.lnk", bytes).c_str(), STGM_READ));
    EXPECT_EQ(L"C:\\Tools\\x.exe", link.Path());
}

TEST_F(ShellLinkTest, DamagedFilesAreNoLinks)
{
    const std::string good = ShellWrittenLink();
    std::string wrongClsid = good;
    wrongClsid[5] = 0x15;
    std::string hugeString = good;
    const size_t nameAt = good.find(std::string("\x06\x00" "A tool", 8));
    hugeString.replace(nameAt, 2, Le(0xFFFF, 2));
    std::string hugeInfo = good;
    hugeInfo.replace(0x4C + 8, 4, Le(0xFFFFFF00u, 4));
    CLinkObject link;
    for (const std::string& bytes : {good.substr(0, 40), good.substr(0, 0x4C + 5), wrongClsid, hugeString, hugeInfo,
                                     std::string()}) {
        ASSERT_EQ(S_OK, link.file->Load(WriteBytes("good.lnk", good).c_str(), STGM_READ));
        EXPECT_EQ(E_FAIL, link.file->Load(WriteBytes("bad.lnk", bytes).c_str(), STGM_READ));
        EXPECT_EQ(L"", link.Path()) << "a failed load leaves an empty link";
    }
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), link.file->Load(L"C:\\links\\missing.lnk", STGM_READ));
    EXPECT_EQ(E_INVALIDARG, link.file->Load(nullptr, STGM_READ));
    EXPECT_EQ(E_INVALIDARG, link.link->GetDescription(nullptr, 10));
}

TEST(ShellLinkClass, IsServedInAnApartmentWithItsTwoInterfaces)
{
    testing_support::TempMachine machine;
    IUnknown* object = nullptr;
    EXPECT_EQ(CO_E_NOTINITIALIZED,
              CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)));
    CoInitialize(nullptr);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                                    reinterpret_cast<void**>(&object)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&object)));
    void* other = nullptr;
    EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_IClassFactory, &other));
    IPersistFile* file = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    IShellLinkW* link = nullptr;
    ASSERT_EQ(S_OK, file->QueryInterface(IID_IShellLinkW, reinterpret_cast<void**>(&link)));
    EXPECT_EQ(static_cast<void*>(object), static_cast<void*>(link)) << "one identity";
    link->Release();
    file->Release();
    EXPECT_EQ(0u, object->Release());
    CoUninitialize();
}

} // namespace
