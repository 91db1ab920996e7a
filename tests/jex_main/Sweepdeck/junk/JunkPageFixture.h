// The junk page on a machine with planted junk, driven through the real gatherer with the rule
// file of the program folder: five files in four categories of three top-level groups.
#pragma once

#include "junk/SelectScanPage.h"
#include "support/TempMachine.h"

#include <QJsonObject>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CMsgBox;

namespace junk_test {

struct Planted {
    std::string relative;  // below drive C:
    size_t size;
};

// Prefetch files (2), setup logs (1), the browser's cache (1), npm's cache (1).
extern const std::vector<Planted> kJunk;
constexpr quint64 kJunkSize = 100 + 200 + 300 + 400 + 500;
constexpr quint64 kNpmSize = 500;

class JunkPage : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    bool Exists(const std::string& relative) const;
    // The page's top-level row whose text is the name, or a row found below any group.
    QTreeWidgetItem* Row(const QString& name) const;
    // All texts of the page's header, joined.
    QString HeaderText() const;
    // The events Preludex recorded so far, once at least count are there (or after a time-out).
    std::vector<QJsonObject> Events(size_t count = 0) const;
    static int Count(const std::vector<QJsonObject>& events, const QString& window, const QString& activity);
    // Calls act with the message box once it shows while show() runs; a box left open is closed so
    // that a failing case reports instead of hanging.
    void AnswerBox(const std::function<void(CMsgBox*)>& act);

    testing_support::TempMachine machine;
    std::unique_ptr<CSelectScanPage> page;
    // The timers of AnswerBox: they end with the case, so none acts on a later case's box.
    std::vector<std::unique_ptr<QTimer>> answerTimers;
};

// Presses the box's button with that index, ticking its check box first when asked.
void Press(CMsgBox* box, int button, bool tick);

} // namespace junk_test
