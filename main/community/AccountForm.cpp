#include "AccountForm.h"

#include "ErrorTips.h"
#include "Language.h"

#include "Paneforge/Util.h"

#include "common/SendInfo.h"

#include <QEvent>
#include <QRegExp>

#include <algorithm>
#include <iterator>

namespace account_form {

namespace {

const char kNormalStyle[] =
    "border-radius:4px;background-color:#20242f;color:#c6d6f0;padding-left:12px;border:1px solid #353c4d;";
const char kWrongStyle[] =
    "border-radius:4px;background-color:#20242f;color:#c6d6f0;padding-left:12px;border:1px solid #e02020;";
const char kPlaceholderColour[] = "#6f788b";

// A field's sheet gives its text colour to the placeholder too, whenever it is applied (when the
// field is first shown, at each change of its own or the program's sheet), and an empty field
// framed red would read as if its placeholder had been refused: each palette the field is given
// has its placeholder dimmed again.
class CDimPlaceholder : public QObject {
public:
    explicit CDimPlaceholder(QLineEdit* field) : QObject(field)
    {
        field->installEventFilter(this);
        Dim(field);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange)
            Dim(static_cast<QLineEdit*>(watched));
        return false;
    }

private:
    static void Dim(QLineEdit* field)
    {
        const QColor dim(kPlaceholderColour);
        QPalette palette = field->palette();
        // Once every group has it, the change that setting it makes ends here.
        const QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive, QPalette::Disabled};
        if (std::all_of(std::begin(groups), std::end(groups),
                        [&](QPalette::ColorGroup group) { return palette.color(group, QPalette::PlaceholderText) == dim; }))
            return;
        palette.setColor(QPalette::PlaceholderText, dim);
        field->setPalette(palette);
    }
};

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
    new CDimPlaceholder(field);
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
    if (field)
        field->setStyleSheet(QString::fromLatin1(wrong ? kWrongStyle : kNormalStyle));
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
