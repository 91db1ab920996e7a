#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Arguments = std::vector<std::wstring>;

Arguments Split(const std::wstring& line) { return platform::SplitCommandLine(line); }

TEST(KernelCommandLine, SplitsArgumentsByWindowsDocumentedExamples)
{
    EXPECT_EQ((Arguments {L"p", L"abc", L"d", L"e"}), Split(LR"(p "abc" d e)"));
    EXPECT_EQ((Arguments {L"p", LR"(a\\\b)", L"de fg", L"h"}), Split(LR"(p a\\\b d"e f"g h)"));
    EXPECT_EQ((Arguments {L"p", LR"(a\"b)", L"c", L"d"}), Split(LR"(p a\\\"b c d)"));
    EXPECT_EQ((Arguments {L"p", LR"(a\\b c)", L"d", L"e"}), Split(LR"(p a\\\\"b c" d e)"));
    EXPECT_EQ((Arguments {L"p", LR"(ab" c d)"}), Split(LR"(p a"b"" c d)"));
}

TEST(KernelCommandLine, SplitsQuotesBackslashesBlanksAndEmptyArguments)
{
    // 2n backslashes before a quote: n of them and a toggle; 2n+1: n and a literal quote
    EXPECT_EQ((Arguments {L"p", LR"(C:\dir\)", L"next"}), Split(LR"(p "C:\dir\\" next)"));
    EXPECT_EQ((Arguments {L"p", LR"(C:\dir\)"}), Split(LR"(p C:\dir\)"));
    EXPECT_EQ((Arguments {L"p", LR"(\")"}), Split(LR"(p \\\")"));
    EXPECT_EQ((Arguments {L"p", L"", L"x", L""}), Split(LR"(p "" x "")"));
    EXPECT_EQ((Arguments {L"p", L"\""}), Split(LR"(p """)"));
    EXPECT_EQ((Arguments {L"p", L"a", L"b"}), Split(L"p \t a \t b \t "));
    EXPECT_EQ((Arguments {L"p", L"unterminated quote"}), Split(LR"(p "unterminated quote)"));
    EXPECT_EQ((Arguments {L"p"}), Split(L"p"));
}

TEST(KernelCommandLine, TakesTheProgramNameWithoutEscapes)
{
    EXPECT_EQ((Arguments {LR"(C:\Program Files\x.exe)", L"a"}), Split(LR"("C:\Program Files\x.exe" a)"));
    EXPECT_EQ((Arguments {LR"(C:\dir\x)", L"y"}), Split(LR"("C:\dir\"x y)"));
    EXPECT_EQ((Arguments {LR"(C:\a\\b)", L"c"}), Split(LR"(C:\a\\b c)"));
    // a command line that starts with a blank has an empty program name, as the Preludex start has
    EXPECT_EQ((Arguments {L"", L"/SendInfo", L"Window", L"Home"}), Split(LR"( /SendInfo Window "Home")"));
}

TEST(KernelCommandLine, QuotedArgumentsSplitBackUnchanged)
{
    const Arguments arguments = {L"plain", L"", L"with space", L"tab\there", L"quote\"inside", LR"(back\slash)",
                                 LR"(trailing\)", LR"(\\)", LR"(\")", LR"(a\\"b)", L"\"", LR"(C:\Program Files\)"};
    std::wstring line = platform::QuoteProgramName(L"C:\\Program Files\\p.exe");
    for (const auto& argument : arguments)
        line += L" " + platform::QuoteArgument(argument);
    Arguments expected = {L"C:\\Program Files\\p.exe"};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(expected, Split(line));

    EXPECT_EQ(L"plain", platform::QuoteArgument(L"plain"));
    EXPECT_EQ(L"\"\"", platform::QuoteArgument(L""));
    EXPECT_EQ(L"\"plain\"", platform::QuoteArgument(L"plain", true));
    EXPECT_EQ(LR"("C:\dir\\")", platform::QuoteArgument(LR"(C:\dir\)", true));
    EXPECT_EQ(LR"("a b\\")", platform::QuoteArgument(LR"(a b\)"));
    EXPECT_EQ(L"p.exe", platform::QuoteProgramName(L"p.exe"));
}

TEST(KernelCommandLine, CommandLineToArgvWGivesOneBlock)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(LR"(p "a b" c)", &count);
    ASSERT_NE(nullptr, argv);
    ASSERT_EQ(3, count);
    EXPECT_STREQ(L"p", argv[0]);
    EXPECT_STREQ(L"a b", argv[1]);
    EXPECT_STREQ(L"c", argv[2]);
    EXPECT_EQ(nullptr, argv[3]);
    std::free(argv);

    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    argv = CommandLineToArgvW(L"", &count);
    ASSERT_NE(nullptr, argv);
    EXPECT_EQ(1, count);
    EXPECT_EQ(std::wstring(path, length), argv[0]);
    std::free(argv);

    EXPECT_EQ(nullptr, CommandLineToArgvW(L"p", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(KernelCommandLine, OwnCommandLineIsTheArgumentsWrittenTheWindowsWay)
{
    // this test program was not started through the layer
    const Arguments own = Split(GetCommandLineW());
    ASSERT_FALSE(own.empty());
    EXPECT_NE(std::wstring::npos, own[0].find(L"platform_kernel_tests"));
}

} // namespace
