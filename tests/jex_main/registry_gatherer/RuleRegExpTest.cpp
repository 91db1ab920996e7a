#include "RuleRegExp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Matches(const std::wstring& pattern, const std::wstring& input, bool caseSensitive = true)
{
    CRuleRegExp expression;
    EXPECT_TRUE(expression.Compile(pattern, caseSensitive)) << "pattern does not compile";
    return expression.Match(input);
}

// The text the whole match took, or "<none>".
std::wstring MatchedText(const std::wstring& pattern, const std::wstring& input)
{
    CRuleRegExp expression;
    EXPECT_TRUE(expression.Compile(pattern, true));
    RegExpMatch_ match;
    if (!expression.Match(input, &match))
        return L"<none>";
    return input.substr(match.start, match.end - match.start);
}

// The texts of the match groups, "<unset>" for a group that took part in no match.
std::vector<std::wstring> Groups(const std::wstring& pattern, const std::wstring& input)
{
    CRuleRegExp expression;
    EXPECT_TRUE(expression.Compile(pattern, true));
    RegExpMatch_ match;
    std::vector<std::wstring> texts;
    if (!expression.Match(input, &match))
        return {L"<no match>"};
    for (const auto& [start, end] : match.groups)
        texts.push_back(start == RegExpMatch_::npos ? L"<unset>" : input.substr(start, end - start));
    return texts;
}

TEST(RuleRegExpTest, SearchesForTheFirstPlaceThatMatches)
{
    EXPECT_EQ(L"bc", MatchedText(L"bc", L"abcdbc"));
    EXPECT_EQ(L"<none>", MatchedText(L"bd", L"abcd"));
    EXPECT_TRUE(Matches(L"", L"anything"));
}

TEST(RuleRegExpTest, CaretAndDollarAnchorToTheStartAndEndOfTheInput)
{
    EXPECT_TRUE(Matches(L"^ab", L"abc"));
    EXPECT_FALSE(Matches(L"^bc", L"abc"));
    EXPECT_TRUE(Matches(L"bc$", L"abc"));
    EXPECT_FALSE(Matches(L"bc$", L"abcd"));
    EXPECT_TRUE(Matches(L"^abc$", L"abc"));
    EXPECT_FALSE(Matches(L"^abc$", L"abcabc"));
}

TEST(RuleRegExpTest, DotTakesAnyOneCharacter)
{
    EXPECT_TRUE(Matches(L"^a.c$", L"abc"));
    EXPECT_TRUE(Matches(L"^a.c$", L"a-c"));
    EXPECT_TRUE(Matches(L"^a.c$", L"a\nc"));
    EXPECT_FALSE(Matches(L"^a.c$", L"ac"));
}

TEST(RuleRegExpTest, SetsTakeOneCharacterOfTheirRangesOrOfNoneWhenNegated)
{
    EXPECT_TRUE(Matches(L"^[a-c]x$", L"bx"));
    EXPECT_FALSE(Matches(L"^[a-c]x$", L"dx"));
    EXPECT_TRUE(Matches(L"^[0-9a-f_]+$", L"09af_"));
    EXPECT_FALSE(Matches(L"^[0-9a-f]+$", L"09ag"));
    EXPECT_TRUE(Matches(L"^[^a-c]$", L"d"));
    EXPECT_FALSE(Matches(L"^[^a-c]$", L"a"));
    EXPECT_TRUE(Matches(L"^[\\]x]+$", L"]x]")) << "a backslash in a set takes the next character";
    EXPECT_TRUE(Matches(L"^[a-]+$", L"a-a")) << "a dash before the closing bracket is itself";
}

TEST(RuleRegExpTest, StarPlusAndQuestionRepeatGreedily)
{
    EXPECT_TRUE(Matches(L"^ab*c$", L"ac"));
    EXPECT_TRUE(Matches(L"^ab*c$", L"abbbc"));
    EXPECT_FALSE(Matches(L"^ab+c$", L"ac"));
    EXPECT_TRUE(Matches(L"^ab+c$", L"abbc"));
    EXPECT_TRUE(Matches(L"^ab?c$", L"ac"));
    EXPECT_TRUE(Matches(L"^ab?c$", L"abc"));
    EXPECT_FALSE(Matches(L"^ab?c$", L"abbc"));
    EXPECT_EQ(std::vector<std::wstring>{L"axb"}, Groups(L"{.*}x", L"axbx"));
    EXPECT_EQ(std::vector<std::wstring>{L"aaa"}, Groups(L"{a+}", L"aaa"));
    EXPECT_EQ(std::vector<std::wstring>{L"a"}, Groups(L"{a?}a", L"aa"));
}

TEST(RuleRegExpTest, QuestionMarkAfterARepetitionTakesTheShortestFirst)
{
    EXPECT_EQ(std::vector<std::wstring>{L"a"}, Groups(L"{.*?}x", L"axbx"));
    EXPECT_EQ(std::vector<std::wstring>{L"a"}, Groups(L"{a+?}", L"aaa"));
    EXPECT_EQ(std::vector<std::wstring>{L""}, Groups(L"{a??}a", L"aa"));
    EXPECT_EQ(L"<a><b>", MatchedText(L"<.+?>.*?>", L"<a><b>"));
}

TEST(RuleRegExpTest, BracesAreMatchGroupsNumberedByTheirOpeningBrace)
{
    EXPECT_EQ((std::vector<std::wstring>{L"ab", L"b", L"c"}), Groups(L"{a{b}}{c}", L"abc"));
    EXPECT_EQ((std::vector<std::wstring>{L"<unset>", L"b"}), Groups(L"{a}x|{b}y", L"by"));
    EXPECT_EQ(std::vector<std::wstring>{L"c"}, Groups(L"^{[a-c]}+$", L"abc")) << "a repeated group keeps its last run";
}

TEST(RuleRegExpTest, ParenthesesGroupWithoutCapture)
{
    EXPECT_TRUE(Matches(L"^(ab)+$", L"abab"));
    EXPECT_FALSE(Matches(L"^(ab)+$", L"aba"));
    EXPECT_TRUE(Groups(L"(ab)+", L"abab").empty());
}

TEST(RuleRegExpTest, BarChoosesBetweenAlternatives)
{
    EXPECT_EQ(L"dog", MatchedText(L"cat|dog", L"hotdog"));
    EXPECT_TRUE(Matches(L"^(cat|dog)s$", L"cats"));
    EXPECT_FALSE(Matches(L"^(cat|dog)s$", L"cows"));
    EXPECT_TRUE(Matches(L"^a|b$", L"xxb"));
}

TEST(RuleRegExpTest, ExclamationMarkNegatesTheFollowingElementWithoutTakingInput)
{
    EXPECT_EQ(L"a", MatchedText(L"a!b", L"abac"));
    EXPECT_EQ(L"<none>", MatchedText(L"a!b", L"ab"));
    EXPECT_TRUE(Matches(L"^!(abc)", L"abd"));
    EXPECT_FALSE(Matches(L"^!(abc)", L"abcd"));
    EXPECT_TRUE(Matches(L"^!\\d\\w$", L"abc"));
    EXPECT_FALSE(Matches(L"^!\\d\\w$", L"1abc"));
    EXPECT_TRUE(Matches(L"^!!a", L"abc")) << "a doubled negation is an assertion";
    EXPECT_EQ(std::vector<std::wstring>{L"<unset>"}, Groups(L"!{x}a", L"a")) << "a negated group takes nothing";
}

TEST(RuleRegExpTest, AbbreviationsStandForTheirCharacterClasses)
{
    EXPECT_TRUE(Matches(L"^\\a\\a\\a$", L"aZ9"));
    EXPECT_FALSE(Matches(L"^\\a$", L"_"));
    EXPECT_TRUE(Matches(L"^x\\by\\bz$", L"x y\tz"));
    EXPECT_FALSE(Matches(L"^x\\by$", L"x\ny"));
    EXPECT_TRUE(Matches(L"^\\c\\c$", L"aZ"));
    EXPECT_FALSE(Matches(L"^\\c$", L"1"));
    EXPECT_TRUE(Matches(L"^\\d\\d$", L"42"));
    EXPECT_FALSE(Matches(L"^\\d$", L"x"));
    EXPECT_TRUE(Matches(L"^\\h\\h\\h$", L"0aF"));
    EXPECT_FALSE(Matches(L"^\\h$", L"g"));
    EXPECT_TRUE(Matches(L"^a\\nb$", L"a\r\nb"));
    EXPECT_TRUE(Matches(L"^a\\nb$", L"a\nb"));
    EXPECT_TRUE(Matches(L"^a\\nb$", L"a\rb"));
    EXPECT_FALSE(Matches(L"^a\\nb$", L"a\n\rb"));
    EXPECT_EQ(L"\"hi there\"", MatchedText(L"\\q", L"say \"hi there\" now"));
    EXPECT_EQ(L"'x'", MatchedText(L"\\q", L"say 'x' now"));
    EXPECT_EQ(std::vector<std::wstring>{L"Word"}, Groups(L"{\\w}", L"12Word34"));
    EXPECT_EQ(std::vector<std::wstring>{L"34"}, Groups(L"x{\\z}", L"12x34y"));
}

TEST(RuleRegExpTest, BackslashTakesAnyOtherCharacterLiterally)
{
    EXPECT_TRUE(Matches(L"^a\\.b$", L"a.b"));
    EXPECT_FALSE(Matches(L"^a\\.b$", L"axb"));
    EXPECT_TRUE(Matches(L"^\\%\\\\\\{\\}\\(\\)\\[\\*\\+\\?\\|\\!\\^\\$$", L"%\\{}()[*+?|!^$"));
}

TEST(RuleRegExpTest, CaseInsensitiveCompileMatchesLowerCasedInputAgainstLowerCasedPattern)
{
    EXPECT_TRUE(Matches(L"ABC", L"xabcx", false));
    EXPECT_TRUE(Matches(L"abc", L"XABCX", false));
    EXPECT_FALSE(Matches(L"ABC", L"abc", true));
    EXPECT_TRUE(Matches(L"^[A-C]+$", L"abc", false));
    EXPECT_TRUE(Matches(L"^\\{\\h+\\}$", L"{00AAFF}", false));
}

TEST(RuleRegExpTest, GroupPositionsReferToTheOriginalInputWhenCaseIsIgnored)
{
    CRuleRegExp expression;
    ASSERT_TRUE(expression.Compile(L"x{B+}", false));
    RegExpMatch_ match;
    const std::wstring input = L"aXbBbc";
    ASSERT_TRUE(expression.Match(input, &match));
    EXPECT_EQ(L"bBb", input.substr(match.groups[0].first, match.groups[0].second - match.groups[0].first));
}

TEST(RuleRegExpTest, MalformedPatternsDoNotCompileAndMatchNothing)
{
    for (const wchar_t* pattern : {L"(abc", L"abc)", L"{a", L"a}", L"[abc", L"[]", L"[z-a]", L"*a", L"a**", L"+", L"a|*",
                                   L"\\", L"!", L"a!", L"!|a", L"^*", L"$+", L"(a|b", L"{(a}b)"}) {
        CRuleRegExp expression;
        EXPECT_FALSE(expression.Compile(pattern, true)) << "pattern " << testing::PrintToString(std::wstring(pattern));
        EXPECT_FALSE(expression.Match(L"abc"));
    }
    CRuleRegExp never;
    EXPECT_FALSE(never.Match(L"")) << "nothing compiled";
}

TEST(RuleRegExpTest, EnvironmentPatternFindsTheVariableBeforeTheFirstFolder)
{
    EXPECT_EQ(std::vector<std::wstring>{L"windir"}, Groups(L"\\%{.+}\\%\\\\.*", L"%windir%\\notepad.exe"));
    EXPECT_EQ(std::vector<std::wstring>{L"<no match>"}, Groups(L"\\%{.+}\\%\\\\.*", L"C:\\x\\y.dll"));
    EXPECT_EQ(std::vector<std::wstring>{L"<no match>"}, Groups(L"\\%{.+}\\%\\\\.*", L"%windir%notepad.exe"));
}

TEST(RuleRegExpTest, RunawayBacktrackingEndsAsNoMatchInsteadOfHanging)
{
    const std::wstring manyAs(200, L'a');
    EXPECT_FALSE(Matches(L"(a|a)*b", manyAs));
    EXPECT_FALSE(Matches(L"(a*)*b", manyAs));
    EXPECT_TRUE(Matches(L"^(a*)*$", manyAs)) << "a repetition that takes nothing ends";
    EXPECT_FALSE(Matches(L".*x", std::wstring(100000, L'y'))) << "too deep for the stack counts as no match";
}

} // namespace
