#include "SetWidget.h"

#include "SetButton.h"

#include "FixTitleBase.h"
#include "ProcessObjects.h"

#include "Paneforge/Util.h"
#include "common/InfoAttribute.h"
#include "common/MachinePicture.h"
#include "common/SendInfo.h"
#include "common/WindowGround.h"

#include <QMouseEvent>
#include <QSignalBlocker>
#include <QPainter>

namespace {

QString FormatLabel(const QString& text, const char* color, int weight)
{
    return Util::GetFormatString(text, QStringLiteral("Segoe UI"), QLatin1String(color), 14, weight);
}

// The dialog's own places; a text wider than its place (fonts differ from the look's) widens it
// rather than being cut.
void Place(QWidget* widget, int x, int y, int width, int height)
{
    widget->setGeometry(x, y, qMax(width, widget->sizeHint().width()), height);
}

// The level buttons stand one below the other.
void PlaceLevel(QRadioButton* level, int lv)
{
    Place(level, 24, 115 + (lv - 1) * 27, 121, 24);
}

// The dialog's body, and the room its shadow takes around it where the desktop shows it.
const QSize kBody(640, 378);
constexpr int kShadow = 11;

const char* OnOff(bool on)
{
    return on ? "On" : "Off";
}

// The fixed size names the close event reports, whatever sizes the monitor's settings give.
const char* SizeName(int level)
{
    static const char* const kNames[] = {"TEMP", "100MB", "300MB", "500MB", "800MB", "1GB"};
    return level >= 0 && level <= 5 ? kNames[level] : kNames[3];
}

} // namespace

CSetWidget::CSetWidget(QWidget*) : QDialog(nullptr), shadow_(ShadowMargin(kShadow))
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    SetWindowGround(this);
    setFixedSize(kBody + QSize(2 * shadow_, 2 * shadow_));
    setStyleSheet(g_checkRadioStyleSheet);

    titleLabel_ = new QLabel(FormatLabel(tr("Settings"), "#727c8f", 400), this);
    Place(titleLabel_, 27, 22, 52, 19);
    closeButton_ = new QPushButton(this);
    closeButton_->setObjectName(QStringLiteral("Quarnel_CloseBtn"));
    closeButton_->setGeometry(611, 20, 24, 24);
    generalTab_ = new CSetButton(tr("General"), this);
    generalTab_->setGeometry(11, 69, 190, 40);
    generalTab_->SetSelected(true);
    junkTab_ = new CSetButton(tr("Junk Cleanup"), this);
    junkTab_->setGeometry(11, 109, 190, 40);

    generalPanel_ = new QWidget(this);
    generalPanel_->setGeometry(203, 53, 448, 336);
    BuildGeneralPanel();
    junkPanel_ = new QWidget(this);
    junkPanel_->setGeometry(203, 53, 448, 336);
    BuildJunkPanel();

    connect(closeButton_, &QPushButton::clicked, this, &CSetWidget::OnCloseClicked);
    connect(generalTab_, &QPushButton::clicked, this, &CSetWidget::ShowGeneralPanel);
    connect(junkTab_, &QPushButton::clicked, this, &CSetWidget::ShowJunkPanel);
    for (QRadioButton* radio : {allowRadio_, blockRadio_})
        connect(radio, &QRadioButton::clicked, this, [this] { assitChanged_ = true; });
    connect(remindBox_, &QCheckBox::stateChanged, this, &CSetWidget::OnRemindStateChanged);
    for (int lv = 1; lv <= 5; ++lv) {
        QRadioButton* radio = levels_[lv];
        connect(radio, &QRadioButton::clicked, this, [this, radio] { lastLevelClicked_ = radio; });
    }
    junkPanel_->hide();

    if (CFixTitleBase::IsAutoLaunch()) {
        launchBox_->setChecked(true);
    } else {
        allowRadio_->setEnabled(false);
        blockRadio_->setEnabled(false);
    }
    connect(launchBox_, &QCheckBox::stateChanged, this, &CSetWidget::OnLaunchStateChanged);
    // The places above count from the corner of the room the shadow takes.
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->move(child->pos() + ShadowShift());
}

QPoint CSetWidget::ShadowShift() const
{
    return QPoint(shadow_ - kShadow, shadow_ - kShadow);
}

void CSetWidget::BuildGeneralPanel()
{
    launchBox_ = new QCheckBox(tr("Launch at login"), generalPanel_);
    Place(launchBox_, 24, 35, 121, 24);
    assitLabel_ = new QLabel(FormatLabel(tr("Startup Assistant"), "#c6d6f0", 500), generalPanel_);
    Place(assitLabel_, 24, 77, 150, 24);
    allowRadio_ = new QRadioButton(tr("Always allow"), generalPanel_);
    Place(allowRadio_, 24, 115, 121, 24);
    blockRadio_ = new QRadioButton(tr("Always block"), generalPanel_);
    Place(blockRadio_, 24, 142, 121, 24);
}

void CSetWidget::BuildJunkPanel()
{
    remindBox_ = new QCheckBox(tr("Remind me while the computer is idle"), junkPanel_);
    Place(remindBox_, 24, 35, 280, 24);
    sizeLabel_ = new QLabel(FormatLabel(tr("Remind me while junk files are more than"), "#c6d6f0", 500), junkPanel_);
    Place(sizeLabel_, 24, 77, 300, 24);
    const QString texts[] = {tr("100 MB"), tr("300 MB"), tr("500 MB"), tr("800 MB"), tr("1 GB")};
    for (int lv = 1; lv <= 5; ++lv) {
        levels_[lv] = new QRadioButton(texts[lv - 1], junkPanel_);
        PlaceLevel(levels_[lv], lv);
    }
}

void CSetWidget::SetShowAssit(bool show)
{
    allowRadio_->setChecked(show);
    blockRadio_->setChecked(!show);
}

void CSetWidget::SetShowClean(bool show)
{
    // Filling the dialog is not the user's click: no usage event, nothing to hand back on close.
    const QSignalBlocker quiet(remindBox_);
    remindBox_->setChecked(show);
    SetLevelsEnabled(show);
}

void CSetWidget::SetLevelsEnabled(bool enabled)
{
    for (int lv = 1; lv <= 5; ++lv)
        levels_[lv]->setEnabled(enabled);
}

void CSetWidget::SetCleanLv(int lv)
{
    // Radio buttons of one parent exclude each other: all five are unchecked only this way.
    for (int i = 1; i <= 5; ++i) {
        levels_[i]->setAutoExclusive(false);
        levels_[i]->setChecked(false);
        levels_[i]->setAutoExclusive(true);
    }
    if (lv >= 1 && lv <= 5) {
        levels_[lv]->setChecked(true);
        level_ = lv;
    }
}

void CSetWidget::SetLvTextList(const QStringList& texts)
{
    if (texts.size() <= 4)
        return;
    for (int lv = 1; lv <= 5; ++lv) {
        levels_[lv]->setText(texts.at(lv - 1));
        PlaceLevel(levels_[lv], lv);
    }
}

void CSetWidget::SetAssitVisible(bool visible)
{
    for (QWidget* widget : {static_cast<QWidget*>(assitLabel_), static_cast<QWidget*>(allowRadio_),
                            static_cast<QWidget*>(blockRadio_)})
        widget->setVisible(visible);
}

void CSetWidget::SetCleanVisible(bool visible)
{
    junkTab_->setVisible(visible);
    if (!visible)
        ShowGeneralPanel();
}

void CSetWidget::ShowGeneralPanel()
{
    generalTab_->SetSelected(true);
    junkTab_->SetSelected(false);
    generalPanel_->show();
    junkPanel_->hide();
}

void CSetWidget::ShowJunkPanel()
{
    junkTab_->SetSelected(true);
    generalTab_->SetSelected(false);
    junkPanel_->show();
    generalPanel_->hide();
}

void CSetWidget::OnLaunchStateChanged(int state)
{
    const bool on = state == Qt::Checked;
    CFixTitleBase::SetAutoLaunch(on);
    allowRadio_->setEnabled(on);
    blockRadio_->setEnabled(on);
    SendInfoEvent("Settings", "Click_Launch", MakeInfoAttribute({{"LaunchInfo", OnOff(on)}}).c_str(), nullptr);
}

void CSetWidget::OnRemindStateChanged(int state)
{
    const bool on = state == Qt::Checked;
    SetLevelsEnabled(on);
    SendInfoEvent("Settings", "Click_Remind", MakeInfoAttribute({{"RemindInfo", OnOff(on)}}).c_str(), nullptr);
    remindChanged_ = true;
}

void CSetWidget::OnCloseClicked()
{
    for (int lv = 1; lv <= 5; ++lv) {
        if (lastLevelClicked_ == levels_[lv]) {
            level_ = lv;
            emit sigLvChanged(level_);
            break;
        }
    }
    lastLevelClicked_ = nullptr;
    const std::string attribute = MakeInfoAttribute(
        {{"StartupAssistantInfo", allowRadio_->isChecked() ? "Allow" : "Block"}, {"RemindSize", SizeName(level_)}});
    SendInfoEvent("Settings", "Click_Close", attribute.c_str(), nullptr);
    if (assitChanged_) {
        emit sigShowAssit(allowRadio_->isChecked());
        assitChanged_ = false;
    }
    if (remindChanged_) {
        emit sigShowClean(remindBox_->isChecked());
        remindChanged_ = false;
    }
    close();
}

void CSetWidget::mousePressEvent(QMouseEvent* event)
{
    if (QRect(QPoint(shadow_, shadow_), QSize(kBody.width(), 42)).contains(event->pos())) {
        dragOrigin_ = event->globalPos();
        dragging_ = true;
    }
    QDialog::mousePressEvent(event);
}

void CSetWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_) {
        move(pos() + event->globalPos() - dragOrigin_);
        dragOrigin_ = event->globalPos();
    }
    QDialog::mouseMoveEvent(event);
}

void CSetWidget::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    QDialog::mouseReleaseEvent(event);
}

void CSetWidget::paintEvent(QPaintEvent* event)
{
    if (!event->isAccepted())
        return;
    QPainter painter(this);
    if (shadow_)
        painter.drawPixmap(rect(), CachedPicture(Util::getDravielsResFullPath(QStringLiteral("shadow.png"))));
    painter.translate(ShadowShift());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(QStringLiteral("#272d3b")));
    painter.drawRoundedRect(QRect(11, 11, 640, 378), 12, 12);
    painter.setBrush(QColor(QStringLiteral("#20242f")));
    painter.drawRoundedRect(QRect(11, 11, 640, 84), 12, 12);
    painter.fillRect(QRect(11, 53, 640, 42), QColor(QStringLiteral("#272d3b")));
    painter.setPen(QColor(QStringLiteral("#20242f")));
    painter.drawLine(202, 53, 202, 389);
}
