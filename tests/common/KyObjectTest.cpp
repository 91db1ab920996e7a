#include "common/KyObject.h"
#include "common/KySingleton.h"
#include "common/OpResult.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the order of the hooks of objects as they die.
std::vector<std::string> g_events;

class ITestGatherer : public virtual IKyObject {};

class CTestItem : public ICheckStateProc {
public:
    explicit CTestItem(int checkState) : ICheckStateProc(checkState) {}
    void OnFinalRelease() override { g_events.push_back("final"); }
    ~CTestItem() override { g_events.push_back("destroyed"); }
};

class CTestGatherer : public ITestGatherer, public ICheckStateProc {
public:
    CTestGatherer() : ICheckStateProc(0) {}
    void OnFinalRelease() override { g_events.push_back("gatherer final"); }
    ~CTestGatherer() override { g_events.push_back("gatherer destroyed"); }
};

class KyObjectTest : public testing::Test {
protected:
    void SetUp() override { g_events.clear(); }
};

TEST_F(KyObjectTest, CountsReferencesAndRunsTheFinalHookOnceBeforeTheDestructor)
{
    CTestItem* item = new CTestItem(1);
    EXPECT_EQ(2, item->AddRef());
    EXPECT_EQ(1, item->Release());
    EXPECT_TRUE(g_events.empty());

    item->Release();
    EXPECT_EQ((std::vector<std::string>{"final", "destroyed"}), g_events);
}

TEST_F(KyObjectTest, OneCountThroughEveryInterfaceOfAVirtualBase)
{
    CTestGatherer* gatherer = new CTestGatherer;
    ITestGatherer* asGatherer = gatherer;
    ICheckStateProc* asCheck = gatherer;
    EXPECT_EQ(2, asGatherer->AddRef());
    EXPECT_EQ(3, asCheck->AddRef());
    EXPECT_EQ(2, asGatherer->Release());
    EXPECT_EQ(1, asCheck->Release());
    static_cast<IKyObject*>(asCheck)->Release();
    EXPECT_EQ((std::vector<std::string>{"gatherer final", "gatherer destroyed"}), g_events);
}

TEST_F(KyObjectTest, ChangeCheckStateFlipsAndAnyNonZeroFlagCountsAsChecked)
{
    CTestItem* checked = new CTestItem(1);
    checked->ChangeCheckState();
    EXPECT_EQ(0, checked->GetCheckState());
    checked->ChangeCheckState();
    EXPECT_EQ(1, checked->GetCheckState());
    checked->Release();

    CTestItem* odd = new CTestItem(7);
    odd->ChangeCheckState();
    EXPECT_EQ(0, odd->GetCheckState());
    odd->Release();
}

TEST_F(KyObjectTest, FactoryHandsOutOneObjectAndAReferencePerCall)
{
    CTestGatherer* first = CKySingleton<CTestGatherer>::Get();
    CTestGatherer* second = CKySingleton<CTestGatherer>::Get();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);

    first->Release();
    EXPECT_TRUE(g_events.empty());
    second->Release();
    EXPECT_EQ((std::vector<std::string>{"gatherer final", "gatherer destroyed"}), g_events);
}

TEST_F(KyObjectTest, FactoryCalledAfterTheLastReleaseMakesAFreshObject)
{
    CKySingleton<CTestGatherer>::Get()->Release();
    g_events.clear();

    CTestGatherer* fresh = CKySingleton<CTestGatherer>::Get();
    ASSERT_NE(nullptr, fresh);
    EXPECT_EQ(2, fresh->AddRef());
    fresh->Release();
    EXPECT_TRUE(g_events.empty());
    fresh->Release();
    EXPECT_EQ((std::vector<std::string>{"gatherer final", "gatherer destroyed"}), g_events);
}

TEST(OpResultTest, PacksStepKindAndWindowsError)
{
    const OpResult result = MakeResult(0x12, RESULT_SYSTEM_CALL, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0x0000000500120001ull, result);
    EXPECT_EQ(0x00120001u, ResultLow(result));
    EXPECT_EQ(5, ResultHigh(result));
    EXPECT_TRUE(IsFailure(result));
    EXPECT_EQ(-1, ResultHigh(MakeResult(1, RESULT_CANCELLED, 0xFFFFFFFFu)));
}

TEST(OpResultTest, OnlyTheLowFourteenBitsDecideFailure)
{
    EXPECT_FALSE(IsFailure(RESULT_OK));
    EXPECT_FALSE(IsFailure(0xFFFFFFFFC0000000ull | (0x7FFFull << 16)));
    EXPECT_FALSE(IsFailure(0x4000));
    EXPECT_TRUE(IsFailure(0x2000));
    for (ResultKind kind : {RESULT_SYSTEM_CALL, RESULT_BAD_ARGUMENT, RESULT_NOT_INITIALISED, RESULT_NO_CALLBACK,
                            RESULT_NOT_QUEUED, RESULT_CANCELLED})
        EXPECT_TRUE(IsFailure(MakeResult(3, kind)));
}

} // namespace
