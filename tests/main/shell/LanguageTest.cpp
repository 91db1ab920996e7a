#include "Language.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/FreshProcess.h"

#include <QFontDatabase>
#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <fstream>

namespace {

void SetLanguage(const wchar_t* value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORVANE\\Movanta", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    ASSERT_EQ(RegSetValueExW(key, L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(ShellLanguage, EnglishWithoutTheKey)
{
    RUN_IN_FRESH_PROCESS({
        EXPECT_EQ(GetLanguage(), QStringLiteral("English"));
    });
}

TEST(ShellLanguage, KeptForTheRunOnceRead)
{
    RUN_IN_FRESH_PROCESS({
        SetLanguage(L"Deutsch");
        EXPECT_EQ(GetLanguage(), QStringLiteral("Deutsch"));
        SetLanguage(L"English");
        EXPECT_EQ(GetLanguage(), QStringLiteral("Deutsch"));
    });
}

TEST(ShellLanguage, EmptyValueIsReadAgain)
{
    RUN_IN_FRESH_PROCESS({
        SetLanguage(L"");
        EXPECT_EQ(GetLanguage(), QString());
        SetLanguage(L"Deutsch");
        EXPECT_EQ(GetLanguage(), QStringLiteral("Deutsch"));
    });
}

// The program folder as current folder, with the maker's shared "res\Common" beside it.
class ShellFontFamily : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.UseProgramFolder();
        ASSERT_TRUE(SetCurrentDirectoryW(platform::Machine().programFolder.c_str()));
    }

    void WriteFonts(const std::string& text)
    {
        const std::string file =
            platform::HostPath(platform::Machine().programFolder + L"\\..\\res\\Common\\langind.ini");
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file) << text;
    }

    testing_support::TempMachine machine_;
};

TEST_F(ShellFontFamily, EachWeightHasItsKey)
{
    RUN_IN_FRESH_PROCESS({
        WriteFonts("[English]\r\nfont_light=Light Face\r\nfont_normal=Normal Face\r\n"
                   "font_semibold=Semibold Face\r\nfont_bold=Bold Face\r\n");
        EXPECT_EQ(GetLangFontFamily(0), QStringLiteral("Light Face"));
        EXPECT_EQ(GetLangFontFamily(1), QStringLiteral("Normal Face"));
        EXPECT_EQ(GetLangFontFamily(2), QStringLiteral("Semibold Face"));
        EXPECT_EQ(GetLangFontFamily(3), QStringLiteral("Bold Face"));
        EXPECT_EQ(GetLangFontFamily(4), QStringLiteral("Segoe UI"));
    });
}

TEST_F(ShellFontFamily, FileIsReadOnEveryCall)
{
    RUN_IN_FRESH_PROCESS({
        WriteFonts("[English]\nfont_normal=First Face\n");
        EXPECT_EQ(GetLangFontFamily(1), QStringLiteral("First Face"));
        WriteFonts("[English]\nfont_normal=Second Face\n");
        EXPECT_EQ(GetLangFontFamily(1), QStringLiteral("Second Face"));
    });
}

TEST_F(ShellFontFamily, SegoeUiWhenNothingNamesAFamily)
{
    RUN_IN_FRESH_PROCESS({
        EXPECT_EQ(GetLangFontFamily(1), QStringLiteral("Segoe UI"));
        WriteFonts("[Deutsch]\nfont_normal=Other Face\n[English]\nfont_bold=\n");
        EXPECT_EQ(GetLangFontFamily(1), QStringLiteral("Segoe UI"));
        EXPECT_EQ(GetLangFontFamily(3), QStringLiteral("Segoe UI"));
        WriteFonts(std::string("\x00\xFF\xFE[English\nfont_normal", 21));
        EXPECT_EQ(GetLangFontFamily(1), QStringLiteral("Segoe UI"));
    });
}

TEST_F(ShellFontFamily, FollowsTheLanguage)
{
    RUN_IN_FRESH_PROCESS({
        SetLanguage(L"Deutsch");
        WriteFonts("[Deutsch]\nfont_normal=Other Face\n[English]\nfont_normal=Normal Face\n");
        EXPECT_EQ(GetLangFontFamily(1), QStringLiteral("Other Face"));
    });
}

} // namespace

namespace {

TEST(ShellFontFamilyShipped, NamesAnInstalledFamily)
{
    RUN_IN_FRESH_PROCESS({
        const std::string shipped = testing_support::BuildProgramFolder() + "/../res/Common/langind.ini";
        const std::string installed =
            platform::HostPath(platform::Machine().programFolder + L"\\..\\res\\Common\\langind.ini");
        std::filesystem::create_directories(std::filesystem::path(installed).parent_path());
        std::filesystem::copy_file(shipped, installed);
        const QString family = GetLangFontFamily(FONT_NORMAL);
        EXPECT_NE(family, QStringLiteral("Segoe UI"));
        EXPECT_TRUE(QFontDatabase().families().contains(family)) << family.toStdString();
    });
}

} // namespace
