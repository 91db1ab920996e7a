// The scan: the key walk and its patterns, the empty-key test, the reference-check steps with
// their placeholders, missing files, missing keys, the COM check and the decision cache.
#include "HivesiftHost.h"

#include "platform/Windows.h"

namespace {

using RuleAlgorithmTest = HivesiftHost;

// Records each item at the moment it is found and may act then.
class CCollectContext : public IRegGarbageCollectContext {
public:
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    bool OnRegGarbage(IRegGarbageInfo* garbage) override
    {
        found.push_back(garbage->GetInfo()->keyPath);
        if (onFound)
            onFound();
        return true;
    }

    std::vector<std::wstring> found;
    std::function<void()> onFound;
};

TEST_F(RuleAlgorithmTest, EmptyKeyRuleFindsKeysWithoutDataAnywhereBelow)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\Bare]\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\EmptyDefault]\n@=\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\NamedValue]\n\"x\"=\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Nested\\A\\B]\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Nested\\C]\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\NestedValue\\A]\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\NestedValue\\A\\B]\n@=\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\TextDefault]\n@=\"data\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\TwoValues]\n@=\"\"\n\"y\"=\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\ZeroDword]\n@=dword:00000000\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"1\"/>"));
    const std::vector<FoundItem_> expected = {
        {L"Bare", L"Software\\T\\Bare", 1, L"C"},
        {L"EmptyDefault", L"Software\\T\\EmptyDefault", 1, L"C"},
        {L"Nested", L"Software\\T\\Nested", 1, L"C"},
        {L"ZeroDword", L"Software\\T\\ZeroDword", 1, L"C"},
    };
    EXPECT_EQ(expected, Collect());
}

TEST_F(RuleAlgorithmTest, WalkStopsAtTheFirstNameThatDoesNotMatchAfterAMatch)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\aaa]\n[HKEY_CURRENT_USER\\Software\\T\\ABC1]\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\abc2]\n[HKEY_CURRENT_USER\\Software\\T\\abd]\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\abe]\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" RegExpStr=\"^ab(c|e)\"/>"));
    const std::vector<FoundItem_> expected = {
        {L"ABC1", L"Software\\T\\ABC1", 1, L"C"},
        {L"abc2", L"Software\\T\\abc2", 1, L"C"},
    };
    EXPECT_EQ(expected, Collect()) << "aaa is passed over, the walk ends at abd, so abe is never checked";
}

TEST_F(RuleAlgorithmTest, ValueWalkFollowsTheKeysValueOrder)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T]\n\"abc1\"=\"\"\n\"abc2\"=\"\"\n\"abd\"=\"\"\n\"abc3\"=\"\"\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" EnumValue=\"1\" RegExpStr=\"^abc\" "
                           "ProcType=\"2\"><RegGarbageIdentify Param=\"%InputParam%\"/>"
                           "<RegGarbageDisplayItem DisplayItem=\"%INPUTPARAM%\"/></RegGarbageInfo>"));
    const std::vector<FoundItem_> expected = {
        {L"abc1", L"Software\\T", 2, L"C"},
        {L"abc2", L"Software\\T", 2, L"C"},
    };
    EXPECT_EQ(expected, Collect());
}

TEST_F(RuleAlgorithmTest, EmptyPatternChecksEverySubkeyAndABrokenPatternNone)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\a]\n[HKEY_CURRENT_USER\\Software\\T\\b]\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" RegExpStr=\"\"/>") +
                  "<RegGarbageCatagory Name=\"Broken\"><RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" "
                  "RegExpStr=\"(a\"/></RegGarbageCatagory>");
    EXPECT_TRUE(Logged(L"[Hivesift] RegExp parse fail,[(a]"));
    const std::vector<FoundItem_> expected = {
        {L"a", L"Software\\T\\a", 1, L"C"},
        {L"b", L"Software\\T\\b", 1, L"C"},
    };
    EXPECT_EQ(expected, Collect());
}

TEST_F(RuleAlgorithmTest, RootsKeysAndCheckStatesChooseWhatIsScanned)
{
    Seed(L"[HKEY_CLASSES_ROOT\\T\\InRoot1]\n[HKEY_CURRENT_USER\\T\\InRoot2]\n[HKEY_LOCAL_MACHINE\\T\\InRoot3]\n"
         L"[HKEY_CURRENT_USER\\Unchecked\\Skipped]\n");
    InitWithRules(Catagory("<RegGarbageInfo RegItem=\"T\"/>"
                           "<RegGarbageInfo RegRoot=\"2\" RegItem=\"T\"/>"
                           "<RegGarbageInfo RegRoot=\"3\" RegItem=\"T\"/>"
                           "<RegGarbageInfo RegRoot=\"4\" RegItem=\"T\"/>"
                           "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Missing\\Key\"/>"
                           "<RegGarbageInfo RegRoot=\"2\" RegItem=\"T\" ProcType=\"7\" RegExpStr=\"x\"/>") +
                  "<RegGarbageCatagory Name=\"Off\"><RegGarbageInfo RegRoot=\"2\" RegItem=\"Unchecked\"/>"
                  "</RegGarbageCatagory>");
    CRecordingSink sink;
    ASSERT_EQ(RESULT_OK, gatherer_->GetCatagories(&sink));
    sink.catagories.at(1)->ChangeCheckState();

    const std::vector<FoundItem_> expected = {
        {L"InRoot1", L"T\\InRoot1", 1, L"C"},
        {L"InRoot2", L"T\\InRoot2", 1, L"C"},
        {L"InRoot3", L"T\\InRoot3", 1, L"C"},
    };
    EXPECT_EQ(expected, Collect());
}

TEST_F(RuleAlgorithmTest, ScansAddUpAndTheCollectContextHearsOfEachItemAsItIsFound)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\a]\n[HKEY_CURRENT_USER\\Software\\T\\b]\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\"/>"));
    CCollectContext context;
    EXPECT_FALSE(gatherer_->CollectGarbage(&context));
    EXPECT_EQ((std::vector<std::wstring>{L"Software\\T\\a", L"Software\\T\\b"}), context.found);
    EXPECT_EQ(4u, Collect().size()) << "a second scan adds the same entries again";
    EXPECT_EQ(2u, context.found.size()) << "the context is forgotten after its scan";
}

TEST_F(RuleAlgorithmTest, StepValuesFillPlaceholdersOfTheDisplayTemplate)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\Item]\n\"Name\"=\"Tool\"\n\"Path\"=\"\\\"C:\\\\x\\\\y.dll\\\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Item\\Sub]\n\"Extra\"=\"more\"\n");
    InitWithRules(Catagory(
        "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
        "<RegGarbageAlg ProcValue=\"Missing|Name\" Result=\"B\"/>"
        "<RegGarbageAlg ProcValue=\"Path\" Result=\"A\"/>"
        "<RegGarbageAlg ProcKey=\"None|Sub\" ProcValue=\"Extra\" Result=\"Extra\"/>"
        "<RegGarbageIdentify Param=\"%A%\"/>"
        "<RegGarbageDisplayItem DisplayItem=\"%B%: %A% (%Extra%, %Unknown%, %inputparam%)\"/>"
        "</RegGarbageInfo>"));
    const std::vector<FoundItem_> expected = {
        {L"Tool: C:\\x\\y.dll (more, %Unknown%, %inputparam%)", L"Software\\T\\Item", 2, L"C"},
    };
    EXPECT_EQ(expected, Collect()) << "quotes around the path are removed before the missing-file test";
}

TEST_F(RuleAlgorithmTest, FailingStepMakesTheEntryNoJunk)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\NoValue]\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\NoKey]\n\"Path\"=\"C:\\\\gone.dll\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Both\\Server]\n\"Path\"=\"C:\\\\gone.dll\"\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
                           "<RegGarbageAlg ProcKey=\"Server\" ProcValue=\"Path\" Result=\"P\"/>"
                           "<RegGarbageIdentify Param=\"%P%\"/></RegGarbageInfo>"
                           "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
                           "<RegGarbageAlg Result=\"P\"/>"
                           "<RegGarbageIdentify Param=\"%P%\"/></RegGarbageInfo>"));
    EXPECT_EQ(std::vector<FoundItem_>({{L"", L"Software\\T\\Both", 2, L"C"}}), Collect())
        << "a step without ProcValue always fails";
}

TEST_F(RuleAlgorithmTest, StepsWithARootOpenSubstitutedParamsBelowIt)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\App1]\n\"Id\"=\"one\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\App2]\n\"Id\"=\"two\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\App3]\n\"Id\"=\"three\"\n"
         L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Apps\\one]\n\"File\"=\"C:\\\\gone\\\\one.exe\"\n"
         L"[HKEY_CURRENT_USER\\Apps\\two]\n\"File\"=\"C:\\\\gone\\\\two.exe\"\n"
         L"[HKEY_CLASSES_ROOT\\Apps\\three]\n\"File\"=\"C:\\\\gone\\\\three.exe\"\n");
    const std::string rule = "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
                             "<RegGarbageAlg ProcValue=\"Id\" Result=\"Id\"/>"
                             "<RegGarbageAlg RootType=\"@\" Param=\"Nothing\\%Id%|SOFTWARE\\Apps\\%Id%|Apps\\%Id%\" "
                             "ProcValue=\"File\" Result=\"F\"/>"
                             "<RegGarbageIdentify Param=\"%F%\"/><RegGarbageDisplayItem DisplayItem=\"%F%\"/>"
                             "</RegGarbageInfo>";
    InitWithRules(Catagory(EachOf(rule, {"1", "2", "3"})));
    const std::vector<FoundItem_> expected = {
        {L"C:\\gone\\three.exe", L"Software\\T\\App3", 2, L"C"},
        {L"C:\\gone\\one.exe", L"Software\\T\\App1", 2, L"C"},
        {L"C:\\gone\\two.exe", L"Software\\T\\App2", 2, L"C"},
    };
    EXPECT_EQ(expected, Collect()) << "RootType 1 is HKEY_CLASSES_ROOT, 2 HKEY_LOCAL_MACHINE, 3 HKEY_CURRENT_USER";
}

TEST_F(RuleAlgorithmTest, MissingFileTestLooksForBareNamesInTheSystemDirectory)
{
    MakeFile(SystemDirectory() + L"\\present.dll");
    Seed(L"[HKEY_CURRENT_USER\\Software\\T]\n\"present.dll\"=\"\"\n\"foo.dll\"=\"\"\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" EnumValue=\"1\" ProcType=\"2\">"
                           "<RegGarbageIdentify Param=\"%InputParam%\"/>"
                           "<RegGarbageDisplayItem DisplayItem=\"%InputParam%\"/></RegGarbageInfo>"));
    EXPECT_EQ(std::vector<FoundItem_>({{L"foo.dll", L"Software\\T", 2, L"C"}}), Collect());
}

TEST_F(RuleAlgorithmTest, MissingFileTestExpandsALeadingEnvironmentVariable)
{
    wchar_t programFiles[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH), 0u);
    MakeFile(std::wstring(programFiles) + L"\\App\\a.exe");
    ASSERT_TRUE(SetEnvironmentVariableW(L"HIVESIFT_TOOLS", L"C:\\Tools"));
    MakeFile(L"C:\\Tools\\t.exe");
    Seed(L"[HKEY_CURRENT_USER\\Software\\T]\n"
         L"\"%ProgramFiles%\\\\App\\\\a.exe\"=\"\"\n"
         L"\"%ProgramFiles%\\\\App\\\\b.exe\"=\"\"\n"
         L"\"%HIVESIFT_TOOLS%\\\\t.exe\"=\"\"\n"
         L"\"%HIVESIFT_UNSET%\\\\t.exe\"=\"\"\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" EnumValue=\"1\" ProcType=\"2\">"
                           "<RegGarbageIdentify Param=\"%InputParam%\"/>"
                           "<RegGarbageDisplayItem DisplayItem=\"%InputParam%\"/></RegGarbageInfo>"));
    MakeFile(L"C:\\t.exe");
    const std::vector<FoundItem_> expected = {
        {L"%ProgramFiles%\\App\\b.exe", L"Software\\T", 2, L"C"},
    };
    EXPECT_EQ(expected, Collect()) << "an unset variable leaves the path \\t.exe, which is C:\\t.exe on the current drive";
    SetEnvironmentVariableW(L"HIVESIFT_TOOLS", nullptr);
}

TEST_F(RuleAlgorithmTest, DecisionCacheAnswersLaterItemsWithoutTestingAgain)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\A]\n@=\"C:\\\\Shared\\\\lib.dll\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\B]\n@=\"C:\\\\Shared\\\\lib.dll\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\C]\n@=\"C:\\\\Shared\\\\other.dll\"\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
                           "<RegGarbageAlg ProcValue=\"\" Result=\"Path\" IsKeyResult=\"1\"/>"
                           "<RegGarbageIdentify Param=\"%Path%\" ResultLinkTo=\"%Path%\"/></RegGarbageInfo>"));
    // The files appear as soon as A is found: a test of the file would now say "present".
    CCollectContext context;
    context.onFound = [] {
        MakeFile(L"C:\\Shared\\lib.dll");
        MakeFile(L"C:\\Shared\\other.dll");
    };
    EXPECT_FALSE(gatherer_->CollectGarbage(&context));
    EXPECT_EQ((std::vector<std::wstring>{L"Software\\T\\A", L"Software\\T\\B"}), context.found)
        << "B takes A's remembered decision; C is tested and its file is there";

    context.onFound = nullptr;
    EXPECT_FALSE(gatherer_->CollectGarbage(&context));
    EXPECT_EQ((std::vector<std::wstring>{L"Software\\T\\A", L"Software\\T\\B", L"Software\\T\\A", L"Software\\T\\B"}),
              context.found)
        << "decisions are kept across scans";
}

TEST_F(RuleAlgorithmTest, StepWithoutIsKeyResultDoesNotConsultTheCache)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\A]\n@=\"C:\\\\Shared\\\\lib.dll\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\B]\n@=\"C:\\\\Shared\\\\lib.dll\"\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
                           "<RegGarbageAlg ProcValue=\"\" Result=\"Path\"/>"
                           "<RegGarbageIdentify Param=\"%Path%\" ResultLinkTo=\"%Path%\"/></RegGarbageInfo>"));
    CCollectContext context;
    context.onFound = [] { MakeFile(L"C:\\Shared\\lib.dll"); };
    EXPECT_FALSE(gatherer_->CollectGarbage(&context));
    EXPECT_EQ(std::vector<std::wstring>{L"Software\\T\\A"}, context.found);
}

TEST_F(RuleAlgorithmTest, ComCheckClearsEntriesWhoseClassStillHasAServer)
{
    const std::wstring registered = L"{11111111-2222-3333-4444-555555555555}";
    const std::wstring viaLocal = L"{11111111-2222-3333-4444-666666666666}";
    const std::wstring unregistered = L"{11111111-2222-3333-4444-777777777777}";
    MakeFile(SystemDirectory() + L"\\inproc.dll");
    MakeFile(L"C:\\Program Files\\App\\server.exe");
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\One]\n\"Clsid\"=\"" + registered + L"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Two]\n\"Clsid\"=\"" + viaLocal + L"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Three]\n\"Clsid\"=\"" + unregistered + L"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Four]\n\"Clsid\"=\"not a class\"\n"
         L"[HKEY_CLASSES_ROOT\\CLSID\\" + registered + L"\\InprocServer32]\n@=\"inproc.dll\"\n"
         L"[HKEY_CLASSES_ROOT\\CLSID\\" + viaLocal + L"\\InprocServer32]\n@=\"C:\\\\gone\\\\x.dll\"\n"
         L"[HKEY_CLASSES_ROOT\\CLSID\\" + viaLocal + L"\\LocalServer32]\n@=\"C:\\\\Program Files\\\\App\\\\server.exe /Automation\"\n"
         L"[HKEY_CLASSES_ROOT\\CLSID\\" + unregistered + L"\\InprocServer32]\n@=\"C:\\\\gone\\\\y.dll\"\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
                           "<RegGarbageAlg ProcValue=\"Clsid\" Result=\"Clsid\"/>"
                           "<RegGarbageIdentify Param=\"C:\\gone\\%Clsid%.dll\"/>"
                           "<RegGarbageClassAlg Class=\"%Clsid%\" Interface=\"{00000000-0000-0000-C000-000000000046}\"/>"
                           "<RegGarbageDisplayItem DisplayItem=\"%Clsid%\"/></RegGarbageInfo>"));
    const std::vector<FoundItem_> expected = {
        {L"not a class", L"Software\\T\\Four", 2, L"C"},
        {unregistered, L"Software\\T\\Three", 2, L"C"},
    };
    EXPECT_EQ(expected, Collect());
}

TEST_F(RuleAlgorithmTest, TypeThreeChecksOnlyTheClsidSubkeyForAMissingClassKey)
{
    const std::wstring present = L"{AAAAAAAA-0000-0000-0000-000000000001}";
    const std::wstring absent = L"{AAAAAAAA-0000-0000-0000-000000000002}";
    Seed(L"[HKEY_CLASSES_ROOT\\Good.Document\\CLSID]\n@=\"" + present + L"\"\n"
         L"[HKEY_CLASSES_ROOT\\Stale.Document\\clsid]\n@=\"" + absent + L"\"\n"
         L"[HKEY_CLASSES_ROOT\\Stale.Document\\TypeLib]\n@=\"" + absent + L"\"\n"
         L"[HKEY_CLASSES_ROOT\\CLSID\\" + present + L"]\n");
    const std::string rule = "<RegGarbageInfo RegItem=\"@\" ProcType=\"3\">"
                             "<RegGarbageAlg ProcValue=\"\" Result=\"Clsid\"/>"
                             "<RegGarbageIdentify RootType=\"1\" Param=\"CLSID\\%Clsid%\"/>"
                             "<RegGarbageDisplayItem DisplayItem=\"%Clsid%\"/></RegGarbageInfo>";
    InitWithRules(Catagory(EachOf(rule, {"Good.Document", "Stale.Document"})));
    EXPECT_EQ(std::vector<FoundItem_>({{absent, L"Stale.Document\\clsid", 3, L"C"}}), Collect());
}

TEST_F(RuleAlgorithmTest, TypeThreeIdentifyBelowTheCurrentKey)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\A\\CLSID]\n\"Needs\"=\"Child\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\A\\CLSID\\Child]\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\B\\CLSID]\n\"Needs\"=\"Child\"\n");
    const std::string rule = "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\\@\" ProcType=\"3\">"
                             "<RegGarbageAlg ProcValue=\"Needs\" Result=\"N\"/>"
                             "<RegGarbageIdentify Param=\"%N%\"/></RegGarbageInfo>";
    InitWithRules(Catagory(EachOf(rule, {"A", "B"})));
    EXPECT_EQ(std::vector<FoundItem_>({{L"", L"Software\\T\\B\\CLSID", 3, L"C"}}), Collect());
}

} // namespace
