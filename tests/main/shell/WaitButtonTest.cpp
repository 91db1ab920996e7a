#include "WaitButton.h"
#include "WaitButtonEx.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// What a task saw; a closed gate holds the task until the test opens it (at most 10 s).
struct TaskRecord {
    std::atomic<int> runs{0};
    std::atomic<bool> running{false};
    std::atomic<bool> gateOpen{true};
    QThread* thread = nullptr;
};

int RecordingTask(void* data)
{
    auto* record = static_cast<TaskRecord*>(data);
    record->running = true;
    record->thread = QThread::currentThread();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int i = 0; i < 1000 && !record->gateOpen; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ++record->runs;
    record->running = false;
    return 7;
}

void Release(QPushButton& button)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &release);
}

TEST(ShellWaitButton, RunsTheTaskOnAWorkerAndWaitsForIt)
{
    TaskRecord record;
    CWaitButton button(QStringLiteral("Update"), nullptr);
    button.SetTask(RecordingTask, &record);
    QSignalSpy clicked(&button, &QPushButton::clicked);
    bool finishedBeforeSignal = false;
    int released = 0;
    QObject::connect(&button, &CWaitButton::sigReleased, [&] {
        ++released;
        finishedBeforeSignal = record.runs == 1 && !record.running;
    });

    Release(button);
    EXPECT_EQ(released, 1);
    EXPECT_TRUE(finishedBeforeSignal);
    EXPECT_NE(record.thread, QThread::currentThread());
    EXPECT_TRUE(button.isEnabled());
    EXPECT_TRUE(button.icon().isNull());
    EXPECT_EQ(clicked.size(), 0);

    Release(button);
    EXPECT_EQ(record.runs, 2);
    EXPECT_EQ(released, 2);
}

TEST(ShellWaitButton, DisabledWhileTheTaskRuns)
{
    TaskRecord record;
    CWaitButton button(QStringLiteral("Update"), nullptr);
    button.SetTask(RecordingTask, &record);
    record.gateOpen = false;
    bool enabledDuringRun = true;
    QTimer::singleShot(50, [&] {
        enabledDuringRun = button.isEnabled();
        record.gateOpen = true;
    });
    Release(button);
    EXPECT_FALSE(enabledDuringRun);
}

TEST(ShellWaitButton, WithoutATaskComesBackAtOnce)
{
    CWaitButton button(QStringLiteral("Update"), nullptr);
    QSignalSpy released(&button, &CWaitButton::sigReleased);
    Release(button);
    EXPECT_EQ(released.size(), 1);
    EXPECT_TRUE(button.isEnabled());
}

TEST(ShellWaitButton, NewTaskWhileRunningKeepsTheRunningThread)
{
    TaskRecord first;
    TaskRecord second;
    CWaitButton button(QStringLiteral("Update"), nullptr);
    button.SetTask(RecordingTask, &first);
    first.gateOpen = false;
    QTimer::singleShot(50, [&] {
        button.SetTask(RecordingTask, &second);
        first.gateOpen = true;
    });
    QSignalSpy released(&button, &CWaitButton::sigReleased);
    Release(button);
    EXPECT_EQ(first.runs, 1);
    EXPECT_EQ(released.size(), 1);

    Release(button);
    EXPECT_EQ(second.runs, 1);
    EXPECT_EQ(first.runs, 1);
    EXPECT_EQ(released.size(), 2);
}

TEST(ShellWaitButtonEx, OwnerStartsTheTask)
{
    TaskRecord record;
    CWaitButtonEx button(QStringLiteral("Log in"), nullptr);
    button.SetTask(RecordingTask, &record);
    QSignalSpy released(&button, &CWaitButtonEx::sigReleased);
    bool disabledWhenAsked = false;
    QObject::connect(&button, &CWaitButtonEx::sigPressed, &button, [&] {
        disabledWhenAsked = !button.isEnabled();
        button.slotStartThread(true);
    });

    Release(button);
    EXPECT_TRUE(disabledWhenAsked);
    EXPECT_EQ(record.runs, 1);
    EXPECT_NE(record.thread, QThread::currentThread());
    EXPECT_EQ(released.size(), 1);
    EXPECT_FALSE(button.isEnabled());
}

TEST(ShellWaitButtonEx, OwnerRefusingReEnablesWithoutRunning)
{
    TaskRecord record;
    CWaitButtonEx button(QStringLiteral("Log in"), nullptr);
    button.SetTask(RecordingTask, &record);
    QSignalSpy released(&button, &CWaitButtonEx::sigReleased);
    QSignalSpy pressed(&button, &CWaitButtonEx::sigPressed);
    QObject::connect(&button, &CWaitButtonEx::sigPressed, &button, [&] { button.slotStartThread(false); });

    Release(button);
    EXPECT_EQ(pressed.size(), 1);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(record.runs, 0);
    EXPECT_EQ(released.size(), 0);
}

TEST(ShellWaitButtonEx, StartWithoutATaskDoesNotHang)
{
    CWaitButtonEx button(QStringLiteral("Log in"), nullptr);
    QSignalSpy released(&button, &CWaitButtonEx::sigReleased);
    button.slotStartThread(true);
    EXPECT_EQ(released.size(), 1);
}

TEST(ShellWaitButton, AnimationWrapsAfterTwentyFourFrames)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    ASSERT_TRUE(SetCurrentDirectoryW(platform::Machine().programFolder.c_str()));
    CWaitButton button(QStringLiteral("Update"), nullptr);
    QList<QImage> frames;
    for (int i = 0; i < 25; ++i) {
        button.slotChangeImage();
        ASSERT_FALSE(button.icon().isNull()) << "frame " << i;
        frames << button.icon().pixmap(16, 16).toImage();
    }
    EXPECT_NE(frames.at(0), frames.at(1));
    EXPECT_NE(frames.at(0), frames.at(23));
    EXPECT_EQ(frames.at(24), frames.at(0));

    button.slotThreadFinished();
    EXPECT_TRUE(button.icon().isNull());
    button.slotChangeImage();
    EXPECT_EQ(button.icon().pixmap(16, 16).toImage(), frames.at(0));
}

TEST(ShellWaitButton, AnimatesWhileTheTaskRuns)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    ASSERT_TRUE(SetCurrentDirectoryW(platform::Machine().programFolder.c_str()));
    TaskRecord record;
    CWaitButton button(QStringLiteral("Update"), nullptr);
    button.SetTask(RecordingTask, &record);
    record.gateOpen = false;
    bool animated = false;
    QTimer::singleShot(250, [&] {
        animated = !button.icon().isNull();
        record.gateOpen = true;
    });
    Release(button);
    EXPECT_TRUE(animated);
    EXPECT_TRUE(button.icon().isNull());
}

} // namespace
