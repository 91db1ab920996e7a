// What the account page and pop-up tests share: waiting on the event loop, the usage events
// Preludex recorded, the local settings, and what a page shows.
#pragma once

#include "support/WaitUntil.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace page_test {

// Processes events until the condition holds or the time is up; the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = testing_support::kPatience.count());

// Puts the build's Preludex into the current program folder, so that events get recorded.
void UsePreludex();

// The recorded events: once there are at least `count` (waiting up to ten seconds), or as they
// are now for a count of 0.
std::vector<QJsonObject> Events(size_t count = 0);

// Whether an event of the window and activity was recorded (with that attribute text when one is
// given).
bool HasEvent(const std::vector<QJsonObject>& events, const QString& window, const QString& activity,
              const std::string& attribute = std::string());

// The events of one window and activity.
std::vector<QJsonObject> EventsOf(const std::vector<QJsonObject>& events, const QString& window,
                                  const QString& activity);

// A value of "localcfg.ini" group "cache" as stored; "<none>" when the key is missing.
QString LocalCfgValue(const QString& key);

// The plain texts of the tips (CErrorTips) that show below the root, in creation order.
QStringList ShownTips(const QWidget& root);

// Whether a field has the red border of a wrong entry.
bool MarkedWrong(const QWidget* field);

// Whether the widget shows on its window (it and all its parents up to the window visible).
bool Shows(const QWidget* widget);

// Left-button press and release on a widget, as a click would deliver them.
void Press(QWidget* widget);
void Release(QWidget* widget);

} // namespace page_test
