#include "FixFrameBase.h"
#include "ShowEvents.h"
#include "ShowThread.h"

#include "PageTestSupport.h"

#include "support/TempMachine.h"

#include "platform/Windows.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class ShowThreadTest : public testing::Test {
protected:
    void UseMachine(bool admin)
    {
        machine_.WriteMachineIni(std::string("[Machine]\nAdministrator=") + (admin ? "1" : "0") + "\n");
        machine_.UseProgramFolder();
        for (const wchar_t* name : {kShowAdminEvent, kShowNotAdminEvent})
            held_.push_back(CreateEventW(nullptr, TRUE, FALSE, name));
    }

    // Signals the event as another process would; the test holds both events open, so that a
    // signal given before the thread opened its handle is kept.
    static void Signal(const wchar_t* name)
    {
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
        ASSERT_NE(nullptr, event);
        SetEvent(event);
        CloseHandle(event);
    }

    void TearDown() override
    {
        for (HANDLE event : held_)
            CloseHandle(event);
    }

    static bool Signalled(const wchar_t* name)
    {
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
        const bool signalled = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
        CloseHandle(event);
        return signalled;
    }

    testing_support::TempMachine machine_;
    std::vector<HANDLE> held_;
};

TEST_F(ShowThreadTest, EachSignalShowsTheWindowOnceAndTheEventIsResetAfterIt)
{
    UseMachine(true);
    auto frame = std::make_unique<CFixFrameBase>(0, nullptr);
    auto* thread = new CShowThread(frame.get());
    thread->start();
    Signal(kShowAdminEvent);
    ASSERT_TRUE(page_test::WaitUntil([&] { return frame->isVisible(); }));
    EXPECT_TRUE(page_test::WaitUntil([] { return !Signalled(kShowAdminEvent); }));
    frame->hide();
    EXPECT_FALSE(page_test::WaitUntil([&] { return frame->isVisible(); }, 1200));
    Signal(kShowAdminEvent);
    EXPECT_TRUE(page_test::WaitUntil([&] { return frame->isVisible(); }));

    // The frame goes: the thread ends at its next step and a later signal reaches nothing.
    frame.reset();
    EXPECT_TRUE(thread->wait(2000));
    Signal(kShowAdminEvent);
    QApplication::processEvents();
    EXPECT_TRUE(Signalled(kShowAdminEvent));
    delete thread;
}

TEST_F(ShowThreadTest, ACopyWithoutAdministratorRightsQuitsWithZeroWhenSignalled)
{
    UseMachine(false);
    CFixFrameBase frame(0, nullptr);
    auto* thread = new CShowThread(&frame);
    thread->start();
    QTimer::singleShot(100, [] { Signal(kShowNotAdminEvent); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(0, QCoreApplication::exec());
    EXPECT_TRUE(frame.StopFlag()->load());
    EXPECT_TRUE(thread->wait(2000));
    EXPECT_FALSE(frame.isVisible());
    delete thread;
}

TEST_F(ShowThreadTest, AnElevatedCopysEventMayBeSignalledByACopyWithoutRights)
{
    machine_.WriteMachineIni("[Machine]\nAdministrator=1\n");
    machine_.UseProgramFolder();
    CFixFrameBase frame(0, nullptr);
    CShowThread thread(&frame);
    thread.start();
    ASSERT_TRUE(page_test::WaitUntil([] {
        HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, kShowAdminEvent);
        CloseHandle(event);
        return event != nullptr;
    }));
    HANDLE ownDefault = CreateEventW(nullptr, TRUE, FALSE, L"Global\\ShowThreadTest default");

    machine_.WriteMachineIni("[Machine]\nAdministrator=0\n");
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, kShowAdminEvent);
    EXPECT_NE(event, nullptr);
    EXPECT_EQ(OpenEventW(EVENT_MODIFY_STATE, FALSE, L"Global\\ShowThreadTest default"), nullptr)
        << "an event with the default security stays closed to it";
    CloseHandle(event);
    CloseHandle(ownDefault);
    frame.slotQuitRequest();
    EXPECT_TRUE(thread.wait(testing_support::kPatience.count()));
}

TEST_F(ShowThreadTest, TheStopFlagEndsTheThreadWithinAStep)
{
    UseMachine(true);
    CFixFrameBase frame(0, nullptr);
    CShowThread thread(&frame);
    thread.start();
    QThread::msleep(100);
    frame.slotQuitRequest();
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(thread.wait(testing_support::kPatience.count()));
    EXPECT_LT(clock.elapsed(), 1000);
}

} // namespace
