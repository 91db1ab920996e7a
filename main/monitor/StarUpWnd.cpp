#include "StarUpWnd.h"

#include "ProcessObjects.h"

#include "common/SendInfo.h"

#include <QLabel>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>
#include <QVariantAnimation>

namespace {

const char kWindow[] = "StartupAssistant";
constexpr int kWidth = 350;
constexpr int kHeight = 410;
// The text waits at its start for this share of its animation, then slides into place.
constexpr double kTextWait = 0.78;

} // namespace

CStarUpWnd::CStarUpWnd(std::shared_ptr<IMonitorSources> sources)
    : CMonitorPopup(kWindow, QSize(kWidth, kHeight), QStringLiteral("pic_zhezhao.png"), std::move(sources))
{
    PictureLabel(QStringLiteral("ico_logo1_ziqi.png"), QRect(12, 8, 24, 24));
    RichLabel(tr("Orvane Quarnel Beta"), "#ffffff", 14, 600, QRect(44, 10, 150, 19), 270);
    QLabel* slogan = RichLabel(tr("Regularly clean up junk files to free up disk space."), "#7e93b1", 14, 400,
                               QRect(0, 374, kWidth, 19));
    slogan->setAlignment(Qt::AlignCenter);
    textLabel_ = new QLabel(this);
    textLabel_->setGeometry(20, 0, 242, 310);
    textLabel_->setTextFormat(Qt::PlainText);
    textLabel_->setWordWrap(true);
    textLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    textLabel_->setStyleSheet(g_popTitleStyle);
    closeButton_ = CloseButton(QRect(318, 8, 24, 24));
    QPushButton* clean = AccentButton(tr("Clean up"), QRect(100, 334, 150, 32));

    connect(closeButton_, &QPushButton::clicked, this, &CStarUpWnd::OnCloseClicked);
    connect(autoHideTimer_, &QTimer::timeout, this, &CStarUpWnd::OnCloseClicked);
    connect(clean, &QPushButton::clicked, this, &CStarUpWnd::OnCleanClicked);
    BuildAnimation();
}

void CStarUpWnd::BuildAnimation()
{
    animation_ = new QParallelAnimationGroup(this);
    auto* slide = new QPropertyAnimation(this, "pos", animation_);
    slide->setDuration(350);
    slide->setStartValue(SlideStart());
    slide->setEndValue(SlideEnd());
    animation_->addAnimation(slide);

    auto* fade = new QVariantAnimation(animation_);
    fade->setDuration(350);
    fade->setStartValue(0);
    fade->setEndValue(350);
    connect(fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        pictureOpacity_ = value.toInt() * 100 / 350;
        update();
    });
    animation_->addAnimation(fade);

    auto* text = new QPropertyAnimation(textLabel_, "geometry", animation_);
    text->setDuration(450);
    text->setStartValue(QRect(80, 0, 242, 310));
    text->setKeyValueAt(kTextWait, QRect(80, 0, 242, 310));
    text->setEndValue(QRect(20, 0, 242, 310));
    animation_->addAnimation(text);
}

void CStarUpWnd::SetPixmap(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void CStarUpWnd::SetText(const QString& text)
{
    text_ = text;
    textLabel_->setText(text);
}

void CStarUpWnd::ShowWnd()
{
    StartShowing();
    move(SlideStart());
    show();
    animation_->stop();
    animation_->start();
}

void CStarUpWnd::OnCloseClicked()
{
    if (sender() == closeButton_)
        SendInfoEvent(window_, "Click_Close", nullptr, nullptr);
    HideWnd();
    emit sigHide();
}

void CStarUpWnd::OnCleanClicked()
{
    SendInfoEvent(window_, "Click_Cleanup", nullptr, nullptr);
    HideWnd();
    emit sigScan();
}

void CStarUpWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setOpacity(pictureOpacity_ / 100.0);
    painter.drawPixmap(rect(), picture_);
    painter.setOpacity(1);
    painter.fillRect(rect(), QColor(27, 31, 40, 76));
    painter.fillRect(QRect(0, 310, kWidth, 100), QColor(QStringLiteral("#272d3b")));
}
