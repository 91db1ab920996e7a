// Another user swaps a folder above a rule's folder for a link once the rule is resolved: while the
// walk lists one profile's cache, or between the analysis and the clean-up. The elevated gatherer
// runs as root; the other user is a child process with ids of its own that owns the machine folder.
// Another user's documents, which the link leads to, survive; junk whose folders are no longer the
// ones listed stays and does not count as cleaned.
#include "JunkMachine.h"

#include "outside/Dregsweep/Dregsweep.h"
#include "support/OtherUser.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace dregsweep_test {

namespace {

namespace fs = std::filesystem;

// The tests' rule set with only its browser cache rule, a folder of every profile.
std::string CacheRulesOnly()
{
    const std::string all = kRules;
    const size_t from = all.find("  <DregsweepCatagory Kind=\"1\"");
    const std::string end = "</DregsweepCatagory>\n";
    const size_t to = all.find(end, from) + end.size();
    return all.substr(0, all.find("<Config>\n") + 9) + all.substr(from, to - from) + "</Config>\n";
}

const std::string kUserData = "Users/Owner/AppData/Local/Browser/User Data";
const std::string kDocuments = "Users/Other/Documents";
// More files than the walk lists between two questions whether to go on, so that it asks while
// it lists the first profile's cache.
constexpr int kFirstCacheFiles = 2100;

enum class When { WhileTheWalkLists, BeforeTheCleanUp };

struct Swap {
    const char* name;
    When when;
    std::string folder;  // below drive C:, made a link to the target by the other user
    std::string target;
    bool junkStays;      // the first profile's junk is left, and not counted as cleaned
};

void PrintTo(const Swap& swap, std::ostream* out) { *out << swap.name; }

class SwappedFolderTest : public JunkMachine, public testing::WithParamInterface<Swap> {
protected:
    void SetUp() override
    {
        if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
            GTEST_SKIP() << why;
        JunkMachine::SetUp();
        WriteRules(CacheRulesOnly());
        for (int i = 0; i < kFirstCacheFiles; ++i)
            Plant(kUserData + "/A/Cache/f" + std::to_string(i), 10);
        Plant(kUserData + "/B/Cache/own", 10);
        for (const char* name : {"letter.doc", "taxes.xls", "photo.jpg"})
            Plant(kDocuments + "/Cache/" + name, 100);
        testing_support::GiveToOtherUser(machine.Root());
        testing_support::GiveToRoot(HostPath("Users/Other"));
    }

    // The other user moves the folder aside and puts a link to the target in its place.
    bool SwapAsOtherUser() const
    {
        const std::string folder = HostPath(GetParam().folder);
        const std::string aside = folder + ".moved";
        const std::string target = HostPath(GetParam().target);
        return testing_support::AsOtherUser([&] {
            return rename(folder.c_str(), aside.c_str()) == 0 && symlink(target.c_str(), folder.c_str()) == 0;
        });
    }

    bool DocumentsStay() const
    {
        for (const char* name : {"letter.doc", "taxes.xls", "photo.jpg"})
            if (!Exists(kDocuments + "/Cache/" + name))
                return false;
        return true;
    }
};

TEST_P(SwappedFolderTest, TheLinkLeadsNowhereAndWhatIsNoLongerAsListedStays)
{
    const Swap& swap = GetParam();
    auto* gatherer = new CDregsweep;
    ASSERT_EQ(RESULT_OK, gatherer->Init(RulePath().c_str(), TextPath().c_str()));
    CRecordingSink sink;
    // The first question comes before the rule is resolved, the next while the walk lists A.
    int questions = 0;
    bool swapped = false;
    if (swap.when == When::WhileTheWalkLists)
        sink.progressAnswer = [&] {
            if (++questions == 2)
                swapped = SwapAsOtherUser();
            return true;
        };
    ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&sink));
    if (swap.when == When::BeforeTheCleanUp)
        swapped = SwapAsOtherUser();
    ASSERT_TRUE(swapped);
    const uint64_t checkedBefore = gatherer->GetCheckedSize();

    sink.progressAnswer = [] { return true; };
    EXPECT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_TRUE(DocumentsStay());
    const std::string firstCache = (swap.junkStays ? kUserData + ".moved" : kUserData) + "/A/Cache/f0";
    EXPECT_EQ(swap.junkStays, Exists(firstCache));
    uint64_t cleaned = 0;
    for (const auto& report : sink.cleaned)
        cleaned += report.size;
    EXPECT_EQ(checkedBefore - gatherer->GetCheckedSize(), cleaned);
    EXPECT_EQ(swap.junkStays ? 0u : kFirstCacheFiles * 10u, cleaned) << "only what went counts as cleaned";
    gatherer->Uninit();
    gatherer->Release();
}

INSTANTIATE_TEST_SUITE_P(
    OtherUser, SwappedFolderTest,
    testing::Values(Swap{"AProfileWhileTheWalkListsAnother", When::WhileTheWalkLists, kUserData + "/B", kDocuments,
                         false},
                    Swap{"TheProfilesFolderBeforeTheCleanUp", When::BeforeTheCleanUp, kUserData,
                         kUserData + ".moved", true}),
    [](const testing::TestParamInfo<Swap>& info) { return std::string(info.param.name); });

} // namespace

} // namespace dregsweep_test
