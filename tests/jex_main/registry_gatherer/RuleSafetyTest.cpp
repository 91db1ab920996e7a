// Odd registry data never turns into junk by accident nor is read out of bounds, every key the
// gatherer opens is closed again, and callbacks may call back into the gatherer.
#include "HivesiftHost.h"

#include "platform/Windows.h"

#include <cstdint>

namespace {

using RuleSafetyTest = HivesiftHost;

// Each subkey of Software\T is junk when the file its "Path" value names is missing.
const char kPathRule[] = "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
                         "<RegGarbageAlg ProcValue=\"Path\" Result=\"P\"/>"
                         "<RegGarbageIdentify Param=\"%P%\"/><RegGarbageDisplayItem DisplayItem=\"%P%\"/>"
                         "</RegGarbageInfo>";

void SetText(const std::wstring& path, const std::wstring& name, const std::wstring& data, size_t chars)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                            static_cast<DWORD>(chars * sizeof(wchar_t))));
    RegCloseKey(key);
}

TEST_F(RuleSafetyTest, LoneOrEmptyQuotesAreAnEmptyReferenceAndNoJunk)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\Lone]\n\"Path\"=\"\\\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Pair]\n\"Path\"=\"\\\"\\\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Empty]\n\"Path\"=\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Gone]\n\"Path\"=\"\\\"C:\\\\gone.dll\\\"\"\n");
    InitWithRules(Catagory(kPathRule));
    EXPECT_EQ(std::vector<FoundItem_>({{L"C:\\gone.dll", L"Software\\T\\Gone", 2, L"C"}}), Collect());
}

TEST_F(RuleSafetyTest, TextWithoutTerminatorIsReadWithinItsLengthAndTheBuffer)
{
    SetText(L"Software\\T\\Short", L"Path", L"C:\\gone.dllJUNK", 11);
    const std::wstring full = L"C:\\gone\\" + std::wstring(MAX_PATH - 12, L'a') + L".dll";
    SetText(L"Software\\T\\Full", L"Path", full, full.size());
    InitWithRules(Catagory(kPathRule));
    const std::vector<FoundItem_> expected = {
        {full, L"Software\\T\\Full", 2, L"C"},
        {L"C:\\gone.dll", L"Software\\T\\Short", 2, L"C"},
    };
    EXPECT_EQ(expected, Collect());
}

TEST_F(RuleSafetyTest, ValueLargerThanTheBufferFailsItsEntryAndTheNextEntryGetsTheWholeBuffer)
{
    const std::wstring big = L"C:\\" + std::wstring(400, L'b') + L".dll";
    SetText(L"Software\\T\\TooBig", L"Path", big, big.size() + 1);
    SetText(L"Software\\T\\Fallback", L"Big", big, big.size() + 1);
    SetText(L"Software\\T\\Fallback", L"Path", L"C:\\gone.dll", 12);
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
                           "<RegGarbageAlg ProcValue=\"Big|Path\" Result=\"P\"/>"
                           "<RegGarbageIdentify Param=\"%P%\"/><RegGarbageDisplayItem DisplayItem=\"%P%\"/>"
                           "</RegGarbageInfo>"));
    EXPECT_EQ(std::vector<FoundItem_>({{L"C:\\gone.dll", L"Software\\T\\Fallback", 2, L"C"}}), Collect());
}

TEST_F(RuleSafetyTest, NameTooLongToReadIsPassedOverAndTheWalkGoesOn)
{
    SetText(L"Software\\T", std::wstring(300, L'n'), L"", 1);
    SetText(L"Software\\T", L"gone.dll", L"", 1);
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" EnumValue=\"1\" ProcType=\"2\">"
                           "<RegGarbageIdentify Param=\"%InputParam%\"/>"
                           "<RegGarbageDisplayItem DisplayItem=\"%InputParam%\"/></RegGarbageInfo>"));
    EXPECT_EQ(std::vector<FoundItem_>({{L"gone.dll", L"Software\\T", 2, L"C"}}), Collect());
}

TEST_F(RuleSafetyTest, EmptyKeyTestNeverTakesTheRulesOwnKeyOrAnOversizedDefault)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\Values]\n@=\"\"\n");
    const std::wstring big(400, L'd');
    SetText(L"Software\\Keys\\BigDefault", L"", big, big.size() + 1);
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\Values\" EnumValue=\"1\" ProcType=\"1\"/>"
                           "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\Keys\" ProcType=\"1\"/>"));
    EXPECT_TRUE(Collect().empty());
}

// Registry handles are handed out in increasing order, four apart, so every handle the gatherer
// took lies between two handles the test opens.
class CHandleWindow {
public:
    CHandleWindow() : first_(Probe()) {}

    // The handles opened since the window began that are still open.
    std::vector<uintptr_t> StillOpen() const
    {
        const uintptr_t last = Probe();
        std::vector<uintptr_t> open;
        for (uintptr_t handle = first_ + 4; handle < last; handle += 4) {
            DWORD subKeys = 0;
            if (RegQueryInfoKeyW(reinterpret_cast<HKEY>(handle), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_INVALID_HANDLE)
                open.push_back(handle);
        }
        return open;
    }

private:
    static uintptr_t Probe()
    {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key));
        RegCloseKey(key);
        return reinterpret_cast<uintptr_t>(key);
    }

    uintptr_t first_;
};

TEST_F(RuleSafetyTest, EveryKeyOpenedDuringAScanIsClosedAndRuleKeysCloseWithUninit)
{
    const std::wstring classId = L"{BBBBBBBB-0000-0000-0000-000000000001}";
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\Nested\\A\\B]\n[HKEY_CURRENT_USER\\Software\\T\\Valued\\A]\n\"v\"=\"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Ref\\Server]\n\"Path\"=\"C:\\\\gone.dll\"\n\"Clsid\"=\"" + classId + L"\"\n"
         L"[HKEY_CURRENT_USER\\Software\\T\\Ref\\CLSID]\n\"Path\"=\"Nested\"\n"
         L"[HKEY_CLASSES_ROOT\\CLSID\\" + classId + L"\\InprocServer32]\n@=\"C:\\\\gone.dll\"\n");
    const CHandleWindow init;
    InitWithRules(Catagory(
        "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"1\"/>"
        "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\" ProcType=\"2\">"
        "<RegGarbageAlg ProcKey=\"Missing|Server\" ProcValue=\"Path\" Result=\"P\"/>"
        "<RegGarbageAlg RootType=\"3\" Param=\"Software\\T\\Ref\\Server\" ProcValue=\"Clsid\" Result=\"C\"/>"
        "<RegGarbageIdentify Param=\"%P%\"/><RegGarbageClassAlg Class=\"%C%\" Interface=\"%C%\"/></RegGarbageInfo>"
        "<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\\Ref\" ProcType=\"3\">"
        "<RegGarbageAlg ProcValue=\"Path\" Result=\"P\"/>"
        "<RegGarbageIdentify RootType=\"3\" Param=\"Software\\T\\%P%\"/></RegGarbageInfo>"));
    EXPECT_EQ(3u, init.StillOpen().size()) << "the keys of the three rules";

    const CHandleWindow scan;
    EXPECT_EQ(2u, Collect().size()) << "Nested and Ref";
    EXPECT_TRUE(scan.StillOpen().empty());

    EXPECT_EQ(RESULT_OK, gatherer_->Uninit());
    EXPECT_TRUE(init.StillOpen().empty());
}

// Calls back into the gatherer from every callback, on the gatherer's own thread.
class CReentrantSink : public CRecordingSink {
public:
    explicit CReentrantSink(IHivesift* gatherer) : gatherer_(gatherer) {}

    bool OnCatagory(IRegGarbageCatagory* catagory) override
    {
        CRecordingSink inner;
        EXPECT_EQ(RESULT_OK, gatherer_->GetCatagories(&inner));
        EXPECT_EQ(RESULT_OK, gatherer_->GetGarbages(&inner));
        return CRecordingSink::OnCatagory(catagory);
    }

    bool OnGarbage(IRegGarbageInfo* garbage) override
    {
        CRecordingSink inner;
        EXPECT_EQ(RESULT_OK, gatherer_->GetGarbages(&inner));
        EXPECT_EQ(RESULT_OK, gatherer_->GetCatagories(&inner));
        return CRecordingSink::OnGarbage(garbage);
    }

private:
    IHivesift* gatherer_;
};

class CReentrantContext : public IRegGarbageCollectContext {
public:
    explicit CReentrantContext(IHivesift* gatherer) : gatherer_(gatherer) {}
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    bool OnRegGarbage(IRegGarbageInfo* garbage) override
    {
        CReentrantSink sink(gatherer_);
        EXPECT_EQ(RESULT_OK, gatherer_->GetGarbages(&sink));
        EXPECT_EQ(RESULT_OK, gatherer_->GetCatagories(&sink));
        EXPECT_EQ(RESULT_OK, gatherer_->ChangeResId(L"C:\\Rules\\texts.xml"));
        ++calls;
        if (calls == 1 && uninitOnFirst) {
            EXPECT_EQ(RESULT_OK, gatherer_->Uninit());
        }
        return true;
    }

    int calls = 0;
    bool uninitOnFirst = false;

private:
    IHivesift* gatherer_;
};

TEST_F(RuleSafetyTest, SinksAndTheCollectContextMayCallTheGathererOnItsOwnThread)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\a]\n[HKEY_CURRENT_USER\\Software\\T\\b]\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\"/>"));
    CReentrantContext context(gatherer_);
    EXPECT_FALSE(gatherer_->CollectGarbage(&context));
    EXPECT_EQ(2, context.calls);

    CReentrantSink sink(gatherer_);
    EXPECT_EQ(RESULT_OK, gatherer_->GetCatagories(&sink));
    EXPECT_EQ(RESULT_OK, gatherer_->GetGarbages(&sink));
    EXPECT_EQ(1u, sink.catagories.size());
    EXPECT_EQ(2u, sink.garbages.size());
}

TEST_F(RuleSafetyTest, UninitFromTheCollectContextEndsTheScanSafely)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\T\\a]\n[HKEY_CURRENT_USER\\Software\\T\\b]\n");
    InitWithRules(Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\"/>") +
                  Catagory("<RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\T\"/>"));
    CReentrantContext context(gatherer_);
    context.uninitOnFirst = true;
    EXPECT_FALSE(gatherer_->CollectGarbage(&context));
    EXPECT_EQ(1, context.calls) << "nothing is found for a gatherer that was ended";
    CRecordingSink sink;
    EXPECT_EQ(static_cast<OpResult>(0x790006), gatherer_->GetGarbages(&sink));
}

} // namespace
