// The shell's link object: ".lnk" files written and read through IShellLinkW and IPersistFile, in
// the documented format, as the shell writes them too.
#include "support/OtherUser.h"
#include "support/ShellLinks.h"
#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
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

const std::string kLinkClsid("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);

enum LinkFlag : uint32_t {
    kIdList = 0x1,
    kLinkInfo = 0x2,
    kName = 0x4,
    kWorkingDir = 0x10,
    kArguments = 0x20,
    kIconLocation = 0x40,
    kUnicode = 0x80,
    kForceNoLinkInfo = 0x100,
};

std::string U16(const std::wstring& text)
{
    return platform::ToUtf16LEBytes(text);
}

// The parts of a link, byte by byte as the format lays them out.
std::string Header(uint32_t flags, uint32_t iconIndex = 0)
{
    return Le(0x4C, 4) + kLinkClsid + Le(flags, 4) + Le(0x20, 4) + std::string(24, '\x11') + Le(4096, 4) +
           Le(iconIndex, 4) + Le(1, 4) + Le(0x0641, 2) + std::string(10, '\0');
}

std::string Item(const std::string& data)
{
    return Le(static_cast<uint32_t>(data.size() + 2), 2) + data;
}

std::string ComputerItem()
{
    return Item(std::string("\x1F\x50\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 18));
}

std::string DriveItem(char letter)
{
    return Item(std::string("\x2F") + letter + ":\\" + std::string(19, '\0'));
}

// An entry of the class with the name bytes as they stand, and the long name in an extension block
// of the version (none where the long name is empty) that the entry's last two bytes point to.
std::string EntryItem(char type, const std::string& name, const std::wstring& longName, uint32_t version)
{
    const std::string data =
        std::string(1, type) + '\0' + Le(0, 4) + Le(0x5A215A21, 4) + Le(type & 1 ? 0x10 : 0x20, 2) + name;
    if (longName.empty())
        return Item(data);
    const size_t nameAt = version >= 9 ? 46 : version == 8 ? 42 : version == 7 ? 38 : 20;
    std::string block = Le(0, 2) + Le(version, 2) + Le(0xBEEF0004, 4) + Le(0x5A215A21, 4) + Le(0x5A215A21, 4) + Le(0x2E, 2);
    block.resize(nameAt, '\0');
    block += U16(longName) + std::string(2, '\0') + Le(static_cast<uint32_t>(data.size() + 2), 2);
    block.replace(0, 2, Le(static_cast<uint32_t>(block.size()), 2));
    return Item(data + block);
}

// A folder's or file's entry: its short name, and its long name in an extension block of the
// version (none where the long name is empty).
std::string FileItem(const std::string& shortName, const std::wstring& longName, uint32_t version, bool folder = true)
{
    std::string name = shortName + '\0';
    if (name.size() % 2)
        name += '\0';
    return EntryItem(folder ? '\x31' : '\x32', name, longName, version);
}

std::string ItemList(const std::vector<std::string>& items)
{
    std::string list;
    for (const std::string& item : items)
        list += item;
    list += Le(0, 2);
    return Le(static_cast<uint32_t>(list.size()), 2) + list;
}

// Link information with a local path in ANSI bytes, as Windows before Vista wrote it.
std::string LocalLinkInfo(const std::string& path)
{
    const std::string volume = Le(0x11, 4) + Le(3, 4) + Le(0x1234, 4) + Le(0x10, 4) + std::string(1, '\0');
    const uint32_t baseAt = 0x1C + static_cast<uint32_t>(volume.size());
    const uint32_t suffixAt = baseAt + static_cast<uint32_t>(path.size()) + 1;
    return Le(suffixAt + 1, 4) + Le(0x1C, 4) + Le(1, 4) + Le(0x1C, 4) + Le(baseAt, 4) + Le(0, 4) + Le(suffixAt, 4) +
           volume + path + '\0' + '\0';
}

// Link information with a network path: ANSI fields, or with unicode its names and suffix in
// UTF-16 too (the ANSI ones then hold question marks, as on a PC whose code page lacks them).
std::string NetworkLinkInfo(bool unicode, const std::wstring& net, const std::wstring& device, const std::wstring& suffix)
{
    auto ansi = [](const std::wstring& text) {
        std::string bytes;
        for (const wchar_t c : text)
            bytes += c < 0x80 ? static_cast<char>(c) : '?';
        return bytes + '\0';
    };
    const uint32_t namesAt = unicode ? 0x1C : 0x14;
    const std::string netName = ansi(net);
    const std::string deviceName = ansi(device);
    std::string link = Le(device.empty() ? 0x2 : 0x3, 4) + Le(namesAt, 4) +
                       Le(namesAt + static_cast<uint32_t>(netName.size()), 4) + Le(0x00020000, 4);
    std::string names = netName + deviceName;
    if (unicode) {
        const uint32_t wideNetAt = namesAt + static_cast<uint32_t>(names.size());
        const std::string wideNet = U16(net) + std::string(2, '\0');
        link += Le(wideNetAt, 4) + Le(wideNetAt + static_cast<uint32_t>(wideNet.size()), 4);
        names += wideNet + U16(device) + std::string(2, '\0');
    }
    link = Le(static_cast<uint32_t>(4 + link.size() + names.size()), 4) + link + names;
    const uint32_t header = unicode ? 0x24 : 0x1C;
    const uint32_t suffixAt = header + static_cast<uint32_t>(link.size());
    const std::string ansiSuffix = ansi(suffix);
    std::string info = Le(header, 4) + Le(2, 4) + Le(0, 4) + Le(0, 4) + Le(header, 4) + Le(suffixAt, 4);
    std::string tail = link + ansiSuffix;
    if (unicode) {
        info += Le(0, 4) + Le(suffixAt + static_cast<uint32_t>(ansiSuffix.size()), 4);
        tail += U16(suffix) + std::string(2, '\0');
    }
    return Le(static_cast<uint32_t>(4 + info.size() + tail.size()), 4) + info + tail;
}

// A string of the string data: its count of characters (bytes for ANSI, units for UTF-16), then
// the characters.
std::string Counted(const std::string& bytes, bool unicode = false)
{
    return Le(static_cast<uint32_t>(unicode ? bytes.size() / 2 : bytes.size()), 2) + bytes;
}

const std::string kTerminal = Le(0, 4);

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

// Links as Windows PCs with other code pages, network drives and item lists write them.
TEST_F(ShellLinkTest, TheTargetIsWhereTheShellFindsIt)
{
    // "C:\\Users\\Дима\\notes.txt" as the item list names it, and the name in code page 1251.
    const std::vector<std::string> usersNotes = {ComputerItem(), DriveItem('C'), FileItem("Users", L"Users", 9),
                                                 FileItem("8D6D~1", L"Дима", 9),
                                                 FileItem("NOTES~1.TXT", L"notes.txt", 8, false)};
    const std::string cp1251Path = "C:\\Users\\\xC4\xE8\xEC\xE0\\notes.txt";
    const struct {
        const char* name;
        std::string bytes;
        std::wstring path;
        std::wstring description;
    } cases[] = {
        {"an ANSI path in another code page takes the item list's names",
         Header(kIdList | kLinkInfo) + ItemList(usersNotes) + LocalLinkInfo(cp1251Path) + kTerminal,
         L"C:\\Users\\Дима\\notes.txt", L""},
        {"without an item list each byte stays a character of its own",
         Header(kLinkInfo) + LocalLinkInfo(cp1251Path) + kTerminal, L"C:\\Users\\Äèìà\\notes.txt", L""},
        {"a network share",
         Header(kLinkInfo) + NetworkLinkInfo(false, L"\\\\server\\share", L"", L"docs\\report.doc") + kTerminal,
         L"\\\\server\\share\\docs\\report.doc", L""},
        {"a mapped drive, in Unicode",
         Header(kLinkInfo) + NetworkLinkInfo(true, L"\\\\сервер\\share", L"Z:", L"отчёт.doc") + kTerminal,
         L"Z:\\отчёт.doc", L""},
        {"an item list alone, with extension blocks of several versions and an entry without one",
         Header(kIdList) +
             ItemList({ComputerItem(), DriveItem('D'), FileItem("PROGRA~1", L"Program Files", 3),
                       FileItem("ORVANE", L"", 0), FileItem("UNICOD~1", L"Ünïcode", 7),
                       FileItem("TOOL.EXE", L"Tool.exe", 9, false)}) +
             kTerminal,
         L"D:\\Program Files\\ORVANE\\Ünïcode\\Tool.exe", L""},
        // The shell cuts a long short name in UTF-16 where its extension block begins, with no
        // terminator; and an older shell left bytes of its own between a name and the block.
        {"extension blocks where the entry's last two bytes say they begin",
         Header(kIdList) +
             ItemList({ComputerItem(), DriveItem('D'), EntryItem('\x31', "DOWNLO~1" + std::string(4, '\0'), L"Downloads", 8),
                       EntryItem('\x36', U16(L"播放器正在加载（拦截"), L"播放器正在加载（拦截请允许）.exe", 9)}) +
             kTerminal,
         L"D:\\Downloads\\播放器正在加载（拦截请允许）.exe", L""},
        {"link information that ForceNoLinkInfo ignores",
         Header(kIdList | kLinkInfo | kForceNoLinkInfo | kName) +
             ItemList({ComputerItem(), DriveItem('C'), FileItem("RIGHT.EXE", L"Right.exe", 9, false)}) +
             LocalLinkInfo("C:\\Wrong.exe") + Counted("after the link information") + kTerminal,
         L"C:\\Right.exe", L"after the link information"},
    };
    for (const auto& c : cases) {
        CLinkObject link;
        ASSERT_EQ(S_OK, link.file->Load(WriteBytes("case.lnk", c.bytes).c_str(), STGM_READ)) << c.name;
        EXPECT_EQ(c.path, link.Path(0, 4 * MAX_PATH)) << c.name;
        EXPECT_EQ(c.description, link.Description()) << c.name;
    }
}

// What a link holds beside its strings, and the strings themselves in the file's encoding.
struct LinkParts_ {
    bool unicode = false;
    bool ignoredLinkInfo = false;
    std::string description;
    std::string workingDir;
    std::string arguments;
    std::string icon;
    uint32_t iconIndex = 0;
};

std::string LinkOf(const LinkParts_& parts)
{
    const uint32_t flags = kIdList | kLinkInfo | kName | kWorkingDir | kArguments | kIconLocation |
                           (parts.unicode ? uint32_t {kUnicode} : 0) |
                           (parts.ignoredLinkInfo ? uint32_t {kForceNoLinkInfo} : 0);
    const std::string tracker = Le(0x60, 4) + Le(0xA0000003, 4) + std::string(0x58, '\x5A');
    const std::string property = Le(12, 4) + Le(0xA0000009, 4) + Le(0xDEADBEEF, 4);
    return Header(flags, parts.iconIndex) +
           ItemList({ComputerItem(), DriveItem('C'), FileItem("APPS", L"Apps", 9),
                     FileItem("TOOL.EXE", L"Tool.exe", 9, false)}) +
           LocalLinkInfo("C:\\Apps\\Tool.exe") + Counted(parts.description, parts.unicode) +
           Counted(parts.workingDir, parts.unicode) + Counted(parts.arguments, parts.unicode) +
           Counted(parts.icon, parts.unicode) + tracker + property + kTerminal;
}

TEST_F(ShellLinkTest, ARewriteChangesOnlyWhatWasSet)
{
    // Strings in code page 1252, as a Western European PC writes them ("Müller Bücher", "--für").
    const LinkParts_ western {false, false, "M\xFCller B\xFC" "cher", "C:\\Apps", "--f\xFCr", "C:\\Apps\\tool.ico", 0};
    LinkParts_ westernIcon = western;
    westernIcon.icon = "C:\\new\\icon.ico";
    westernIcon.iconIndex = 3;
    LinkParts_ westernArguments = western;
    westernArguments.arguments = "--fast";
    LinkParts_ westernWideIcon = western;
    westernWideIcon.icon = "C:\\B\xC3\xBC" "cher\\icon.ico"; // the layer's own ANSI
    westernWideIcon.iconIndex = 3;
    LinkParts_ ignored = western;
    ignored.ignoredLinkInfo = true;
    LinkParts_ ignoredIcon = westernIcon;
    ignoredIcon.ignoredLinkInfo = true;
    // Strings in UTF-8 ("Zürich") convert exactly once the file's strings must be Unicode.
    const LinkParts_ utf8 {false, false, "Z\xC3\xBCrich", "C:\\Apps", "--fast", "C:\\Apps\\tool.ico", 0};
    const LinkParts_ utf8WideIcon {true, false, U16(L"Zürich"), U16(L"C:\\Apps"), U16(L"--fast"),
                                   U16(L"C:\\Bücher\\icon.ico"), 3};
    using Setter = std::function<HRESULT(IShellLinkW*)>;
    const Setter newIcon = [](IShellLinkW* link) { return link->SetIconLocation(L"C:\\new\\icon.ico", 3); };
    const Setter wideIcon = [](IShellLinkW* link) { return link->SetIconLocation(L"C:\\Bücher\\icon.ico", 3); };
    const struct {
        const char* name;
        LinkParts_ before;
        Setter set;
        LinkParts_ after;
    } cases[] = {
        {"a new icon in ANSI", western, newIcon, westernIcon},
        {"new arguments in ANSI", western, [](IShellLinkW* link) { return link->SetArguments(L"--fast"); },
         westernArguments},
        {"a new icon beside link information that is ignored", ignored, newIcon, ignoredIcon},
        {"a new icon outside ASCII beside strings of another code page", western, wideIcon, westernWideIcon},
        {"a new icon outside ASCII beside UTF-8 strings", utf8, wideIcon, utf8WideIcon},
    };
    for (const auto& c : cases) {
        const std::wstring path = WriteBytes("rewrite.lnk", LinkOf(c.before));
        {
            CLinkObject link;
            ASSERT_EQ(S_OK, link.file->Load(path.c_str(), STGM_READWRITE)) << c.name;
            ASSERT_EQ(S_OK, c.set(link.link)) << c.name;
            ASSERT_EQ(S_OK, link.file->Save(nullptr, TRUE)) << c.name;
        }
        EXPECT_EQ(LinkOf(c.after), testing_support::ReadFile(platform::HostPath(path))) << c.name;
    }
    CLinkObject read;
    ASSERT_EQ(S_OK, read.file->Load(WriteBytes("western.lnk", LinkOf(western)).c_str(), STGM_READ));
    EXPECT_EQ(L"Müller Bücher", read.Description()) << "code page 1252 where the bytes are no UTF-8";
}

TEST_F(ShellLinkTest, LinkInformationShorterThanItsHeaderIsADamagedFile)
{
    // The local-path flag set in link information of 12 to 31 bytes with a header of 36 (its
    // Unicode fields included), whose offsets lie beyond it.
    for (uint32_t size = 12; size < 32; ++size) {
        std::string info = Le(size, 4) + Le(0x24, 4) + Le(1, 4) + Le(0x1C, 4) + Le(0x40, 4);
        info.resize(size, '\0');
        const std::wstring path = WriteBytes("short.lnk", Header(kLinkInfo) + info + kTerminal);
        CLinkObject link;
        EXPECT_EQ(E_FAIL, link.file->Load(path.c_str(), STGM_READ)) << size;
        EXPECT_EQ(S_FALSE, link.link->GetPath(std::vector<wchar_t>(8).data(), 8, nullptr, 0)) << size;
        EXPECT_EQ(static_cast<UINT>(ERROR_FUNCTION_FAILED), MsiGetShortcutTargetW(path.c_str(), nullptr, nullptr, nullptr))
            << size;
    }
    // Whole link information whose offsets lead out of it names no target.
    std::string info = LocalLinkInfo("C:\\x.exe");
    info.replace(16, 4, Le(0xFFFFFFF0u, 4));
    CLinkObject link;
    ASSERT_EQ(S_OK, link.file->Load(WriteBytes("offsets.lnk", Header(kLinkInfo) + info + kTerminal).c_str(), STGM_READ));
    EXPECT_EQ(L"", link.Path());
}

using testing_support::AsOtherUser;

// Gives the machine folder to the other user, as a user owns their data folder, all but the
// program folder; the test's folders above it let the user pass.
void GiveMachineToOtherUser(const fs::path& root, const fs::path& programFolder)
{
    for (fs::path above = root.parent_path(); above.filename().string().rfind("quarnel-test-", 0) == 0 ||
                                               above.filename() == "host-tmp";
         above = above.parent_path())
        fs::permissions(above, fs::perms::others_exec, fs::perm_options::add);
    const testing_support::HostUser other = testing_support::OtherUser();
    ASSERT_EQ(0, lchown(root.c_str(), other.uid, other.gid));
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path() == programFolder) {
            it.disable_recursion_pending();
            continue;
        }
        ASSERT_EQ(0, lchown(it->path().c_str(), other.uid, other.gid)) << it->path();
    }
}

// An elevated save of a shortcut in the other user's folder, after that user planted links to a
// file of root's in the program folder.
TEST_F(ShellLinkTest, AnElevatedSaveNeverWritesThroughALinkAnotherUserPlanted)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const fs::path programFolder = machine_.UseProgramFolder();
    const std::string settings = "[Cleanup]\nName=Cleaner.exe\n";
    const fs::path rootsFile = machine_.WriteFile("program/UIConfigAdd.ini", settings);
    const std::wstring linkPath = L"C:\\Users\\Public\\Desktop\\tool.lnk";
    const fs::path desktop = machine_.Root() + "/drive_c/Users/Public/Desktop";
    fs::create_directories(desktop);
    const std::string link = (desktop / "tool.lnk").string();
    const std::string oldDraft = link + ".saving";
    const std::string aside = (desktop / "aside.lnk").string();
    const std::string toRootsFile = "../../../../program/UIConfigAdd.ini";
    const struct {
        const char* name;
        std::function<bool()> plant;
        bool saves;
    } cases[] = {
        {"a link at the draft's name", [&] { return symlink(toRootsFile.c_str(), oldDraft.c_str()) == 0; }, true},
        {"a link at the shortcut's own name",
         [&] { return rename(link.c_str(), aside.c_str()) == 0 && symlink(toRootsFile.c_str(), link.c_str()) == 0; },
         false},
    };
    for (const auto& c : cases) {
        fs::remove_all(desktop);
        fs::create_directories(desktop);
        ASSERT_TRUE(testing_support::WriteShellLink(linkPath, L"C:\\Apps\\Tool.exe",
                                                    L"\n[Cleanup]\nName=..\\..\\planted.exe\n", L"C:\\old.ico", 0));
        GiveMachineToOtherUser(machine_.Root(), programFolder);
        CLinkObject elevated;
        ASSERT_EQ(S_OK, elevated.file->Load(linkPath.c_str(), STGM_READWRITE)) << c.name;
        ASSERT_TRUE(AsOtherUser(c.plant)) << c.name;
        ASSERT_EQ(S_OK, elevated.link->SetIconLocation(L"C:\\new.ico", 1)) << c.name;
        EXPECT_EQ(c.saves, SUCCEEDED(elevated.file->Save(nullptr, TRUE))) << c.name;

        EXPECT_EQ(settings, testing_support::ReadFile(rootsFile)) << c.name;
        EXPECT_EQ(fs::perms::none, fs::status(rootsFile).permissions() & fs::perms::others_write) << c.name;
        EXPECT_EQ(!c.saves, fs::is_symlink(link)) << c.name << ": a link is left as it is";
        int index = 0;
        EXPECT_EQ(c.saves ? L"C:\\new.ico" : L"", testing_support::ShellLinkIcon(linkPath, &index)) << c.name;
        for (const auto& entry : fs::directory_iterator(desktop))
            EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".lnk-")) << c.name << ": a draft stayed";
    }
    struct stat owner {};
    ASSERT_EQ(0, stat(rootsFile.c_str(), &owner));
    EXPECT_EQ(0u, owner.st_uid);
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
