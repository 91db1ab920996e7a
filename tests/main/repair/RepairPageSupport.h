// What the repair page tests share: a machine with a fixed SATA disk (C: and D:) and a USB stick
// (E:) with the stand-in Windows programs installed, result boxes taken instead of run modally,
// the usage events Preludex recorded, and presses of a page's busy button.
#pragma once

#include "support/TempMachine.h"

#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class CMessageBox;

namespace repair_test {

class RepairPageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Gives the machine (the layer's from now on) the drives, disks and stand-ins of these tests,
    // and makes its C:\work the current folder.
    static void DescribeMachine(const testing_support::TempMachine& described);

    // Makes the named stand-in ("diskpart", "sc", ...) fail ("exit" or "silent").
    void FailProgram(const wchar_t* program, const wchar_t* mode) const;

    // Processes events until the page's drive box has been filled (its first fill is timed).
    static void WaitForDriveBox(QWidget* page);
    // Releases the page's busy button as a mouse would and returns when its run has ended.
    static void PressActionButton(QWidget* page);
    static QString ActionButtonText(QWidget* page);

    // The result boxes the page made, in order; the title and content lines of one of them.
    const std::vector<QPointer<CMessageBox>>& ResultBoxes() const { return boxes_; }
    static QString BoxText(CMessageBox* box);

    // The recorded usage events of the window and activity, once there are at least `count` of
    // them. Other events are not counted: the drive list reports the USB disks only at the first
    // fill in the process, so how many events a case sees in all depends on the cases before it.
    static std::vector<QJsonObject> Events(const QString& window, const QString& activity, size_t count);
    // The attributes of those events.
    static QStringList Attributes(const QString& window, const QString& activity, size_t count);

    testing_support::TempMachine machine;

private:
    std::vector<QPointer<CMessageBox>> boxes_;
};

} // namespace repair_test
