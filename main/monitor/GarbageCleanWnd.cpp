#include "GarbageCleanWnd.h"

#include "Paneforge/Util.h"
#include "common/InfoAttribute.h"
#include "common/SendInfo.h"

#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>

namespace {

const char kWindow[] = "JunkFileRemind";

} // namespace

CGarbageCleanWnd::CGarbageCleanWnd(std::shared_ptr<IMonitorSources> sources)
    : CMonitorPopup(kWindow, QSize(340, 160), QStringLiteral("pic_zhezhao_jiankong.png"), std::move(sources))
{
    PictureLabel(QStringLiteral("ico_logo2_jiankong.png"), QRect(0, 0, 32, 32));
    RichLabel(tr("Orvane Quarnel Beta"), "#6f788b", 14, 400, QRect(40, 6, 150, 19), 264);
    QPushButton* close = CloseButton(QRect(308, 4, 24, 24));
    PictureLabel(QStringLiteral("ico_clean_tanchuang.png"), QRect(24, 70, 54, 54));
    sizeLabel_ = new QLabel(this);
    sizeLabel_->setGeometry(92, 70, 120, 51);
    sizeLabel_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    QLabel* found = RichLabel(tr("junk found"), "#7e93b1", 14, 400, QRect(92, 70, 120, 51), 130);
    found->setAlignment(Qt::AlignBottom | Qt::AlignLeft);
    QPushButton* clean = AccentButton(tr("Clean up"), QRect(226, 82, 90, 28));
    slide_ = new QPropertyAnimation(this, "pos", this);

    connect(close, &QPushButton::clicked, this, &CGarbageCleanWnd::OnCloseClicked);
    connect(clean, &QPushButton::clicked, this, &CGarbageCleanWnd::OnCleanClicked);
    connect(autoHideTimer_, &QTimer::timeout, this, &CGarbageCleanWnd::HideWnd);
}

void CGarbageCleanWnd::SetSizeText(const QString& text)
{
    sizeText_ = text;
    sizeLabel_->setText(Util::GetFormatString(text.toHtmlEscaped(), QStringLiteral("Segoe UI"),
                                              QStringLiteral("#c6d6f0"), 24, 400));
}

void CGarbageCleanWnd::ShowWnd()
{
    slide_->stop();
    slide_->setDuration(390);
    slide_->setStartValue(SlideStart());
    slide_->setEndValue(SlideEnd());
    move(SlideStart());
    slide_->start();
    StartShowing();
    show();
}

std::string CGarbageCleanWnd::ResultAttribute(const std::string& seconds) const
{
    return MakeInfoAttribute(
        {{"PopupResult", "Success"}, {"Time", seconds}, {"Size", sizeText_.toUtf8().toStdString()}});
}

void CGarbageCleanWnd::OnCloseClicked()
{
    SendInfoEvent(window_, "Click_Close", nullptr, nullptr);
    HideWnd();
    emit sigClose();
}

void CGarbageCleanWnd::OnCleanClicked()
{
    SendInfoEvent(window_, "Click_Cleanup", nullptr, nullptr);
    HideWnd();
    emit sigClean();
}

void CGarbageCleanWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, 340, 160), QColor(QStringLiteral("#20242f")));
    painter.fillRect(QRect(0, 0, 340, 32), QColor(QStringLiteral("#272d3b")));
}
