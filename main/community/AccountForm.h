// What the log-in and sign-up forms share: the e-mail check, the field styles, the tips, the
// 60-second countdown on a button and the usage events of the account pages.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include <string>

class CErrorTips;

namespace account_form {

constexpr int COUNTDOWN_SECONDS = 60;
constexpr int COUNTDOWN_STEP_MS = 1000;

// The parts both forms are built of: the title, an input field (320 by 32, normal style), a
// hidden tip of a kind (0 error, 1 information) preset to a text, and a button that takes no
// focus (with an object name for the style sheet when one is given).
QLabel* MakeTitle(const QString& text, QWidget* parent);
QLineEdit* MakeField(const QString& placeholder, QWidget* parent);
CErrorTips* MakeTip(int kind, const QString& text, QWidget* parent);
QPushButton* MakeButton(const QString& text, const char* objectName, QWidget* parent);

// The whole text must be one address (case ignored).
bool IsValidEmail(const QString& text);

// The field's normal style, or the same with a red border.
void MarkField(QLineEdit* field, bool wrong);

void ShowTip(CErrorTips* tip, const QString& text);
void HideTip(CErrorTips* tip);

// The button shows 60 and stays disabled while the timer counts down (the timer is made on first
// use, its timeout going to the owner's slot).
template <class Owner>
void StartCountdown(QPushButton* button, QPointer<QTimer>& timer, Owner* owner, void (Owner::*slot)())
{
    if (!button)
        return;
    button->setText(QString::number(COUNTDOWN_SECONDS));
    button->setEnabled(false);
    if (!timer) {
        timer = new QTimer(owner);
        QObject::connect(timer, &QTimer::timeout, owner, slot);
    }
    timer->start(COUNTDOWN_STEP_MS);
}

// One second of the countdown: the next lower number, or after "1" the final text, the button
// usable again and the timer stopped.
void CountdownStep(QPushButton* button, QTimer* timer, const QString& finalText);

// A usage event of the account pages; an empty attribute is left out.
void Report(const char* window, const char* activity, const std::string& attribute = std::string());

// The system's local 8-bit text (UTF-8 here), as the requests take it.
std::string ToLocal8Bit(const QString& text);

} // namespace account_form
