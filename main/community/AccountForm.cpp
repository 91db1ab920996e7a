#include "AccountForm.h"

#include "ErrorTips.h"
#include "Language.h"

#include "Paneforge/Util.h"

#include "common/SendInfo.h"

#include <QRegExp>

namespace account_form {

namespace {

const char kNormalStyle[] =
    "border-radius:4px;background-color:#20242f;color:#c6d6f0;padding-left:12px;border:1px solid #353c4d;";
const char kWrongStyle[] =
    "border-radius:4px;background-color:#20242f;color:#c6d6f0;padding-left:12px;border:1px solid #e02020;";
const char kPlaceholderColour[] = "#6f788b";

} // namespace

QLabel* MakeTitle(const QString& text, QWidget* parent)
{
    auto* title = new QLabel(
        Util::GetFormatString(text, GetLangFontFamily(FONT_NORMAL), QStringLiteral("#c6d6f0"), 20, 700), parent);
    title->setMinimumSize(140, 30);
    return title;
}

QLineEdit* MakeField(const QString& placeholder, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    field->setFixedSize(320, 32);
    MarkField(field, false);
    return field;
}

CErrorTips* MakeTip(int kind, const QString& text, QWidget* parent)
{
    auto* tip = new CErrorTips(kind, parent, 320, 15);
    tip->SetText(text);
    tip->hide();
    return tip;
}

QPushButton* MakeButton(const QString& text, const char* objectName, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    if (objectName)
        button->setObjectName(QString::fromLatin1(objectName));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

bool IsValidEmail(const QString& text)
{
    const QRegExp pattern(QStringLiteral("\\b[A-Z0-9._%+-]+@[A-Z0-9]+(\\.[A-Z]{2,4})+\\b"), Qt::CaseInsensitive,
                          QRegExp::RegExp);
    return pattern.exactMatch(text);
}

void MarkField(QLineEdit* field, bool wrong)
{
    if (!field)
        return;
    field->setStyleSheet(QString::fromLatin1(wrong ? kWrongStyle : kNormalStyle));
    // The sheet's text colour also becomes the placeholder's, and an empty field framed red would
    // read as if its placeholder had been refused: the placeholder is dimmed after each sheet.
    QPalette palette = field->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(kPlaceholderColour));
    field->setPalette(palette);
}

void ShowTip(CErrorTips* tip, const QString& text)
{
    if (!tip)
        return;
    tip->SetText(text);
    tip->show();
}

void HideTip(CErrorTips* tip)
{
    if (tip)
        tip->hide();
}

void CountdownStep(QPushButton* button, QTimer* timer, const QString& finalText)
{
    if (!button || !timer)
        return;
    // Anything but a number above 1 ends the countdown, so it can never run below zero.
    const int seconds = button->text().toInt();
    if (seconds <= 1) {
        button->setText(finalText);
        button->setEnabled(true);
        timer->stop();
        return;
    }
    button->setText(QString::number(seconds - 1));
}

void Report(const char* window, const char* activity, const std::string& attribute)
{
    SendInfoEvent(window, activity, attribute.empty() ? nullptr : attribute.c_str(), nullptr);
}

std::string ToLocal8Bit(const QString& text)
{
    return text.toUtf8().toStdString();
}

} // namespace account_form
