#include "kit/FuncBtn.h"
#include "kit/NavigateBtn.h"
#include "kit/PageTitle.h"
#include "wizard/Page.h"
#include "wizard/PageWizard.h"

#include <QKeyEvent>
#include <QLayout>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Visit {
    QWidget* page;
    QWidget* previous;
};

// A page that records how the wizard treats it.
class TestPage : public CPage {
public:
    TestPage(int id, std::vector<Visit>& visits, int backId = 0, int funcTarget = 0,
             Qt::Alignment funcAlign = Qt::Alignment())
        : CPage(id), visits_(visits), backId_(backId), funcTarget_(funcTarget), funcAlign_(funcAlign)
    {
        InitPage();
    }

    void OnEnter(QWidget* previousPage) override { visits_.push_back({this, previousPage}); }
    void CancelAll() override { ++cancelled; }
    bool IsStartPage() override { return startPage; }
    QWidget* CreateContent() override { return content = new QWidget; }
    QVector<CFuncBtn*> CreateFuncBtns(Qt::Alignment* align) override
    {
        if (funcAlign_)
            *align = funcAlign_;
        return {new CFuncBtn(0, "Analyze"), nullptr, new CFuncBtn(1, "Clean up"), new CFuncBtn(1, "Again")};
    }
    QVector<CNavigateBtn*> CreateNavBtns() override
    {
        return {new CNavigateBtn(NAVBTN_BACK, QIcon(), "Back"), new CNavigateBtn(NAVBTN_NEXT, QIcon(), "Next"),
                new CNavigateBtn(NAVBTN_HOME, QIcon(), "Home")};
    }
    int OnFuncBtn(int id) override { return id == 0 ? funcTarget_ : 0; }
    int GetBackPageId() override { return backId_; }
    int GetNextPageId() override { return GetPageId() + 1; }

    CNavigateBtn* Nav(int id) const
    {
        for (CNavigateBtn* button : findChildren<CNavigateBtn*>())
            if (button->GetId() == id)
                return button;
        return nullptr;
    }
    CFuncBtn* Func(int id) const
    {
        for (CFuncBtn* button : findChildren<CFuncBtn*>())
            if (button->GetId() == id)
                return button;
        return nullptr;
    }

    int cancelled = 0;
    bool startPage = false;
    QWidget* content = nullptr;

private:
    std::vector<Visit>& visits_;
    int backId_;
    int funcTarget_;
    Qt::Alignment funcAlign_;
};

class Wizard : public testing::Test {
protected:
    TestPage* Add(int id, int backId = 0, int funcTarget = 0)
    {
        auto* page = new TestPage(id, visits, backId, funcTarget);
        wizard.AddPage(page);
        return page;
    }

    void Press(int key, Qt::KeyboardModifiers modifiers, QWidget* target = nullptr)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target ? target : &wizard, &event);
    }

    CPageWizard wizard;
    std::vector<Visit> visits;
};

} // namespace

TEST_F(Wizard, NavigationEntersTheTargetWithThePageLeft)
{
    TestPage* home = Add(1);
    TestPage* scan = Add(2, 0, 3);
    TestPage* result = Add(3, 2);
    EXPECT_EQ(wizard.currentWidget(), home);
    EXPECT_EQ(wizard.height(), 471);
    EXPECT_TRUE(wizard.tabBar()->isHidden());

    QTest::mouseClick(home->Nav(NAVBTN_NEXT), Qt::LeftButton);
    ASSERT_EQ(visits.size(), 1u);
    EXPECT_EQ(visits[0].page, scan);
    EXPECT_EQ(visits[0].previous, home);
    EXPECT_EQ(wizard.currentWidget(), scan);

    QTest::mouseClick(scan->Func(0), Qt::LeftButton); // function 0 leads to page 3
    EXPECT_EQ(wizard.currentWidget(), result);
    EXPECT_EQ(visits.back().previous, scan);

    QTest::mouseClick(result->Nav(NAVBTN_BACK), Qt::LeftButton);
    EXPECT_EQ(wizard.currentWidget(), scan);
    QTest::mouseClick(scan->Nav(NAVBTN_HOME), Qt::LeftButton);
    EXPECT_EQ(wizard.currentWidget(), home);
    EXPECT_EQ(visits.size(), 4u);
}

TEST_F(Wizard, ZeroAndUnknownTargetsStayWhereTheyAre)
{
    TestPage* home = Add(1);
    QSignalSpy navigate(home, &CPage::navigate);

    QTest::mouseClick(home->Nav(NAVBTN_BACK), Qt::LeftButton); // back page 0: the signal still goes
    ASSERT_EQ(navigate.count(), 1);
    EXPECT_EQ(navigate.at(0).at(0).toInt(), 0);

    QTest::mouseClick(home->Func(1), Qt::LeftButton); // function answering 0: no signal
    EXPECT_EQ(navigate.count(), 1);

    wizard.Navigate(-1);
    wizard.Navigate(9);
    EXPECT_TRUE(visits.empty());
    EXPECT_EQ(wizard.currentWidget(), home);
    EXPECT_EQ(wizard.GetPage(9), nullptr);
    wizard.AddPage(nullptr);
    EXPECT_EQ(wizard.count(), 1);
}

TEST_F(Wizard, NavigatingToTheCurrentPageEntersItFromItself)
{
    TestPage* home = Add(1);
    wizard.Navigate(1);
    ASSERT_EQ(visits.size(), 1u);
    EXPECT_EQ(visits[0].page, home);
    EXPECT_EQ(visits[0].previous, home);
    EXPECT_EQ(wizard.currentWidget(), home);
}

TEST_F(Wizard, PagesSharingAnIdAreEnteredInTabOrder)
{
    TestPage* home = Add(1);
    TestPage* first = Add(4);
    TestPage* second = Add(4);
    wizard.Navigate(4);
    ASSERT_EQ(visits.size(), 2u);
    EXPECT_EQ(visits[0].page, first);
    EXPECT_EQ(visits[0].previous, home);
    EXPECT_EQ(visits[1].page, second);
    EXPECT_EQ(visits[1].previous, first);
    EXPECT_EQ(wizard.currentWidget(), second);
    EXPECT_EQ(wizard.GetPage(4), second);
    EXPECT_EQ(wizard.GetPage(-1), second);
}

TEST_F(Wizard, CancelAllReachesEveryPageAndTheStartPageIsFound)
{
    TestPage* home = Add(1);
    TestPage* scan = Add(2);
    EXPECT_EQ(wizard.GetStartPage(), nullptr);
    scan->startPage = true;
    EXPECT_EQ(wizard.GetStartPage(), scan);
    wizard.CancelAll();
    EXPECT_EQ(home->cancelled, 1);
    EXPECT_EQ(scan->cancelled, 1);
}

TEST_F(Wizard, TabSwitchingKeysChangeNoPage)
{
    TestPage* home = Add(1);
    Add(2);
    Add(3);
    wizard.show();
    for (const auto& [key, modifiers] : std::vector<std::pair<int, Qt::KeyboardModifiers>>{
             {Qt::Key_Tab, Qt::ControlModifier},
             {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
             {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier}}) {
        Press(key, modifiers);
        Press(key, modifiers, home->Func(0)); // from a button inside the page
        EXPECT_EQ(wizard.currentWidget(), home) << key;
    }
    EXPECT_TRUE(visits.empty());
}

TEST(SweepdeckPage, HeaderHoldsTheButtonsAndTheContentFillsTheRest)
{
    std::vector<Visit> visits;
    TestPage page(2, visits);
    EXPECT_EQ(page.height(), 472);
    auto* header = page.findChild<CPageTitle*>();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(page.layout()->itemAt(0)->widget(), header);
    EXPECT_EQ(page.layout()->itemAt(1)->widget(), page.content);
    EXPECT_EQ(page.content->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    EXPECT_TRUE(header->isAncestorOf(page.Func(0)));
    EXPECT_TRUE(header->isAncestorOf(page.Nav(NAVBTN_BACK)));

    PageTitleInfo info;
    info.title = "Analyzing";
    info.progress = 40;
    page.SetTitleInfo(info);
    EXPECT_EQ(header->GetTitleInfo().title, "Analyzing");
    EXPECT_EQ(header->GetTitleInfo().progress, 40);
}

TEST(SweepdeckPage, ButtonHelpersActOnTheFirstButtonWithTheId)
{
    std::vector<Visit> visits;
    TestPage page(2, visits);
    CFuncBtn* clean = page.findChildren<CFuncBtn*>().at(1);
    ASSERT_EQ(clean->text(), "Clean up");

    page.EnableFuncBtn(1, false);
    EXPECT_FALSE(clean->isEnabled());
    EXPECT_FALSE(page.IsFuncBtnEnabled(1));
    page.ShowFuncBtn(1, false);
    EXPECT_FALSE(page.IsFuncBtnVisible(1));
    EXPECT_TRUE(page.IsFuncBtnVisible(0));
    page.ShowFuncBtn(1, true);
    EXPECT_TRUE(page.IsFuncBtnVisible(1)); // the page itself is not shown: the button's own setting

    page.EnableNavBtn(NAVBTN_BACK, false);
    EXPECT_FALSE(page.IsNavBtnEnabled(NAVBTN_BACK));
    EXPECT_TRUE(page.IsNavBtnEnabled(NAVBTN_NEXT));
    page.ShowNavBtn(NAVBTN_HOME, false);
    EXPECT_FALSE(page.IsNavBtnVisible(NAVBTN_HOME));

    page.EnableFuncBtn(7, true);
    EXPECT_FALSE(page.IsFuncBtnEnabled(7));
    EXPECT_FALSE(page.IsFuncBtnVisible(7));
    EXPECT_FALSE(page.IsNavBtnEnabled(7));
    EXPECT_FALSE(page.IsNavBtnVisible(7));

    // A button the page deleted itself is no longer reached.
    delete page.Func(0);
    EXPECT_FALSE(page.IsFuncBtnVisible(0));
    page.EnableFuncBtn(0, true);
}

TEST(SweepdeckPage, FunctionButtonsTakeTheAlignmentThePageChose)
{
    std::vector<Visit> visits;
    TestPage left(2, visits, 0, 0, Qt::AlignLeft);
    TestPage standard(3, visits);
    const auto alignment = [](CFuncBtn* button) {
        QLayout* row = button->parentWidget()->layout();
        return row->itemAt(row->indexOf(button))->alignment();
    };
    EXPECT_EQ(alignment(left.Func(0)), Qt::AlignLeft);
    EXPECT_EQ(alignment(standard.Func(0)), Qt::AlignVCenter | Qt::AlignRight);
}
