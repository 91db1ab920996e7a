// The question to close an application whose junk is about to go. The layer's process list holds
// only the logged-on user's shell and the calling program (both this process), so running browsers
// are planted behind the gatherer's process lookup; the lookup itself is checked against the
// layer's list.
#include "JunkMachine.h"

#include "outside/Dregsweep/Dregsweep.h"
#include "common/RunningProcesses.h"

#include "platform/Windows.h"

#include <map>

namespace dregsweep_test {

namespace {

class CPlantedProcesses final : public CDregsweep {
public:
    std::map<std::wstring, std::vector<DWORD>> running;
    int lookups = 0;

protected:
    std::vector<DWORD> RunningProcesses(const std::vector<std::wstring>& imageNames) override
    {
        ++lookups;
        std::vector<DWORD> ids;
        for (const std::wstring& name : imageNames)
            for (DWORD id : running[name])
                ids.push_back(id);
        return ids;
    }
};

class CloseQuestionTest : public JunkMachine {
protected:
    void SetUp() override
    {
        JunkMachine::SetUp();
        PlantJunk();
        gatherer = new CPlantedProcesses;
        ASSERT_EQ(RESULT_OK, gatherer->Init(RulePath().c_str(), TextPath().c_str()));
        CRecordingSink sink;
        ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&sink));
        gatherer->running[L"browser.exe"] = {4242, 4243};
    }

    void TearDown() override
    {
        gatherer->Uninit();
        gatherer->Release();
    }

    bool BrowserJunkStays() const { return Exists("Users/Owner/AppData/Local/Browser/User Data/Default/Cache/f1"); }

    CPlantedProcesses* gatherer = nullptr;
};

TEST_F(CloseQuestionTest, ARunningApplicationLeftOpenKeepsItsJunk)
{
    CRecordingSink sink;
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    ASSERT_EQ(1u, sink.closeQuestions.size());
    EXPECT_EQ(L"Browser", sink.closeQuestions[0].first);
    EXPECT_EQ((std::vector<DWORD>{4242, 4243}), sink.closeQuestions[0].second);
    EXPECT_TRUE(BrowserJunkStays());
    EXPECT_FALSE(Exists("Users/Owner/AppData/Local/Temp/sub/old2.tmp"));  // other junk still goes
    for (const auto& report : sink.cleaned)
        EXPECT_EQ(0, report.category->GetName()->kind);
    EXPECT_EQ(3, TopCatagories(gatherer)[1]->GetState());
    EXPECT_EQ(900u, TopCatagories(gatherer)[1]->GetTotalSize());
}

TEST_F(CloseQuestionTest, AnApplicationClosedOnRequestLosesItsJunk)
{
    CRecordingSink sink;
    sink.closeAnswer = [this](const std::wstring&) {
        gatherer->running.clear();
        return true;
    };
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_EQ(1u, sink.closeQuestions.size());
    EXPECT_FALSE(BrowserJunkStays());
    EXPECT_EQ(5, TopCatagories(gatherer)[1]->GetState());
}

TEST_F(CloseQuestionTest, AnApplicationStillRunningAfterTheQuestionIsSkipped)
{
    CRecordingSink sink;
    sink.closeAnswer = [](const std::wstring&) { return true; };
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_TRUE(BrowserJunkStays());
    EXPECT_EQ(900u, TopCatagories(gatherer)[1]->GetTotalSize());
}

TEST_F(CloseQuestionTest, ACleanUpCancelledBeforeAnApplicationsTurnNeverAsksToCloseIt)
{
    // The user cancels just after the system junk went: the answer to that report still said go on.
    TypeNamed(gatherer, L"System junk", L"Logs")->ToggleCheck();
    bool cancelled = false;
    CRecordingSink sink;
    sink.progressAnswer = [&cancelled] { return !cancelled; };
    sink.cleanedAnswer = [&cancelled] {
        cancelled = true;
        return true;
    };
    EXPECT_EQ(RESULT_CANCELLED, static_cast<uint16_t>(gatherer->EmptyGarbage(&sink) & 0x3FFF));
    EXPECT_EQ(1u, sink.cleaned.size());
    EXPECT_TRUE(sink.closeQuestions.empty());
    EXPECT_TRUE(BrowserJunkStays());
}

TEST_F(CloseQuestionTest, NoQuestionWithoutCheckedJunkOrRunningProcesses)
{
    TopCatagories(gatherer)[1]->ToggleCheck();
    CRecordingSink sink;
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_TRUE(sink.closeQuestions.empty());
    EXPECT_EQ(0, gatherer->lookups);

    TopCatagories(gatherer)[1]->ToggleCheck();
    gatherer->running.clear();
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_TRUE(sink.closeQuestions.empty());
    EXPECT_FALSE(BrowserJunkStays());
}

TEST(RunningProcessesTest, ThisProcessIsNeverOfferedForClosing)
{
    // The layer lists this program under this process's own id.
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program = path;
    program = program.substr(program.find_last_of(L'\\') + 1) + L".exe";
    EXPECT_TRUE(running_processes::IdsOf({program}, 64).empty());
    EXPECT_TRUE(running_processes::IdsOf({}, 64).empty());
}

} // namespace

} // namespace dregsweep_test
