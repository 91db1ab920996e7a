// A page's member function runs on a worker thread while the calling GUI thread keeps processing
// its events; the caller gets the function's result as from a plain call.
#include "jex_main/Sweepdeck/async/AsynExecT0.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr int kPatienceMs = testing_support::kPatience.count();

// Waits on the worker until the condition holds; false when it never does.
template <class Condition>
bool WaitOnWorker(Condition condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > kPatienceMs)
            return false;
        QThread::msleep(1);
    }
    return true;
}

class CWorkingPage : public QObject, public CAsyncObj {
public:
    // Returns 7 once the GUI thread's timer has fired five times during the work.
    int WaitForGuiTicks()
    {
        workerThread = QThread::currentThread();
        // Queued to the GUI thread, which must deliver it while the caller waits.
        QMetaObject::invokeMethod(this, [this] { queuedDelivered = true; }, Qt::QueuedConnection);
        return WaitOnWorker([this] { return guiTicks >= 5; }) ? 7 : -2;
    }

    int ReturnAtOnce() { return 3; }

    // Runs until the test lets it end.
    int RunUntilReleased()
    {
        started = true;
        WaitOnWorker([this] { return released.load(); });
        ended = true;
        return 9;
    }

    std::atomic<int> guiTicks{0};
    std::atomic<bool> started{false};
    std::atomic<bool> released{false};
    std::atomic<bool> ended{false};
    QThread* workerThread = nullptr;
    bool queuedDelivered = false;
};

TEST(AsyncExec, WorkRunsOnAWorkerWhileTheGuiThreadKeepsProcessingEvents)
{
    CWorkingPage page;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&page] { ++page.guiTicks; });
    ticker.start(2);

    CAsynExecT0<CWorkingPage> executer(&page, QStringLiteral("scan"), &page, &CWorkingPage::WaitForGuiTicks);
    EXPECT_EQ(executer.Exec(), 7);
    EXPECT_NE(page.workerThread, QThread::currentThread());
    EXPECT_TRUE(page.queuedDelivered);
    EXPECT_EQ(page.GetName(), QStringLiteral("scan"));
    EXPECT_FALSE(executer.IsRunning());
}

TEST(AsyncExec, WorkThatEndsBeforeTheWaitStartsStillComesBack)
{
    CWorkingPage page;
    for (int round = 0; round < 20; ++round) {
        CAsynExecT0<CWorkingPage> executer(&page, QStringLiteral("quick"), &page, &CWorkingPage::ReturnAtOnce);
        EXPECT_EQ(executer.Exec(), 3);
    }
}

TEST(AsyncExec, WithoutATaskNothingStarts)
{
    CWorkingPage page;
    CAsynExecT0<CWorkingPage> executer(nullptr, QStringLiteral("none"), &page, &CWorkingPage::ReturnAtOnce);
    EXPECT_EQ(executer.Exec(), -1);
    EXPECT_FALSE(executer.isRunning());
    EXPECT_FALSE(executer.isFinished());
}

TEST(AsyncExec, StopEndsTheWaitAndDestructionWaitsForTheWorkToEnd)
{
    CWorkingPage page;
    std::thread releaser;
    {
        CAsynExecT0<CWorkingPage> executer(&page, QStringLiteral("long"), &page, &CWorkingPage::RunUntilReleased);
        // Stopped once the work runs, however late the system starts the worker.
        QTimer stopper;
        QObject::connect(&stopper, &QTimer::timeout, [&] {
            if (page.started)
                executer.Stop();
        });
        stopper.start(1);
        EXPECT_EQ(executer.Exec(), 0);
        EXPECT_TRUE(page.started);
        EXPECT_FALSE(page.ended);
        EXPECT_TRUE(executer.IsRunning());
        releaser = std::thread([&page] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            page.released = true;
        });
    }
    EXPECT_TRUE(page.ended);
    releaser.join();
}

TEST(AsyncExec, AnObjectsOwnLoopRunsOnceAndAnEndedLoopReturnsAtOnce)
{
    CWorkingPage page;
    QTimer::singleShot(10, [&page] { page.Quit(nullptr); });
    EXPECT_EQ(page.Wait(nullptr), 0);

    // Were the loop to run again, only this guard would end it.
    bool ranAgain = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        ranAgain = true;
        page.Quit(nullptr);
    });
    guard.start(kPatienceMs);
    EXPECT_EQ(page.Wait(nullptr), 0);
    EXPECT_FALSE(ranAgain);
}

} // namespace
