#include "winlib/ShellLinkFile.h"

#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

class ShellLinkFileTest : public testing::Test {
protected:
    std::wstring WriteBytes(const std::string& name, const std::string& bytes) const
    {
        return platform::WindowsPath(machine_.WriteFile("drive_c/links/" + name, bytes));
    }

    testing_support::TempMachine machine_;
};

TEST_F(ShellLinkFileTest, WhatIsWrittenIsReadBack)
{
    CShellLinkFile link;
    link.SetPath(L"C:\\Program Files\\Orvane\\Zürich tool.exe");
    link.SetDescription(L"Description");
    link.SetArguments(L"--a \"b c\"");
    link.SetWorkingDirectory(L"C:\\Work");
    link.SetIconLocation(L"C:\\icons\\tool.ico", 4);
    link.SetHotkey(0x0354);
    link.SetShowCmd(7);
    const std::wstring path = WriteBytes("a.lnk", "");
    ASSERT_TRUE(link.Save(path));

    CShellLinkFile read;
    ASSERT_TRUE(read.Load(path));
    EXPECT_EQ(L"C:\\Program Files\\Orvane\\Zürich tool.exe", read.GetPath());
    EXPECT_EQ(L"Description", read.GetDescription());
    EXPECT_EQ(L"--a \"b c\"", read.GetArguments());
    EXPECT_EQ(L"C:\\Work", read.GetWorkingDirectory());
    int index = 0;
    EXPECT_EQ(L"C:\\icons\\tool.ico", read.GetIconLocation(&index));
    EXPECT_EQ(4, index);
    EXPECT_EQ(0x0354, read.GetHotkey());
    EXPECT_EQ(7, read.GetShowCmd());
    EXPECT_EQ((std::vector<std::string> {"a.lnk"}), [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(machine_.Root()) / "drive_c" / "links"))
            names.push_back(entry.path().filename().string());
        return names;
    }());
}

TEST_F(ShellLinkFileTest, ReadsALinkTheShellWrote)
{
    CShellLinkFile link;
    ASSERT_TRUE(link.Load(WriteBytes("shell.lnk", ShellWrittenLink())));
    EXPECT_EQ(L"C:\\Apps\\Tool.exe", link.GetPath());
    EXPECT_EQ(L"A tool", link.GetDescription());
    EXPECT_EQ(L"C:\\Apps", link.GetWorkingDirectory());
    EXPECT_EQ(L"--fast", link.GetArguments());
    int index = 0;
    EXPECT_EQ(L"C:\\Apps\\tool.ico", link.GetIconLocation(&index));
    EXPECT_EQ(3, index);
    EXPECT_EQ(7, link.GetShowCmd());
    EXPECT_EQ(0x0641, link.GetHotkey());
}

TEST_F(ShellLinkFileTest, ANewIconKeepsEverythingElseOfTheFile)
{
    const std::string original = ShellWrittenLink();
    const std::wstring path = WriteBytes("shell.lnk", original);
    CShellLinkFile link;
    ASSERT_TRUE(link.Load(path));
    link.SetIconLocation(L"C:\\new\\icon.ico", 3);
    ASSERT_TRUE(link.Save(path));

    const std::string saved = testing_support::ReadFile(platform::HostPath(path));
    EXPECT_EQ(original.substr(24, 52), saved.substr(24, 52)); // attributes, times, size, index, show, hot key
    EXPECT_NE(std::string::npos, saved.find(std::string("\x04\x00\xAA\xBB\x00\x00", 6))); // the item list
    EXPECT_NE(std::string::npos, saved.find(Le(0xA0000009, 4) + Le(0xDEADBEEF, 4)));     // the unread block
    CShellLinkFile read;
    ASSERT_TRUE(read.Load(path));
    EXPECT_EQ(L"C:\\Apps\\Tool.exe", read.GetPath());
    EXPECT_EQ(L"A tool", read.GetDescription());
    int index = 0;
    EXPECT_EQ(L"C:\\new\\icon.ico", read.GetIconLocation(&index));
    EXPECT_EQ(3, index);
}

TEST_F(ShellLinkFileTest, TheEnvironmentBlockNamesTheTargetWhenThereIsNoLinkInformation)
{
    std::string bytes = ShellWrittenLink();
    bytes[20] = static_cast<char>(bytes[20] & ~0x2); // no link information
    const size_t infoAt = 0x4C + 8;
    bytes.erase(infoAt, static_cast<unsigned char>(bytes[infoAt])); // its size, below 256 here
    SetEnvironmentVariableW(L"Tools", L"C:\\Tools");
    CShellLinkFile link;
    ASSERT_TRUE(link.Load(WriteBytes("env.lnk", bytes)));
    EXPECT_EQ(L"C:\\Tools\\x.exe", link.GetPath());
}

TEST_F(ShellLinkFileTest, DamagedFilesAreNoLinks)
{
    const std::string good = ShellWrittenLink();
    std::string wrongClsid = good;
    wrongClsid[5] = 0x15;
    std::string hugeString = good;
    const size_t nameAt = good.find(std::string("\x06\x00" "A tool", 8));
    hugeString.replace(nameAt, 2, Le(0xFFFF, 2));
    std::string hugeInfo = good;
    hugeInfo.replace(0x4C + 8, 4, Le(0xFFFFFF00u, 4));
    for (const std::string& bytes : {good.substr(0, 40), good.substr(0, 0x4C + 5), wrongClsid, hugeString, hugeInfo,
                                     std::string()}) {
        CShellLinkFile link;
        EXPECT_FALSE(link.Load(WriteBytes("bad.lnk", bytes)));
        EXPECT_TRUE(link.GetPath().empty());
    }
    CShellLinkFile missing;
    EXPECT_FALSE(missing.Load(L"C:\\links\\missing.lnk"));
}

} // namespace
