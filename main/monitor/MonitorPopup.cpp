#include "MonitorPopup.h"

#include "ProcessObjects.h"

#include "Paneforge/Util.h"
#include "common/InfoAttribute.h"
#include "common/MachinePicture.h"
#include "common/SendInfo.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <climits>

namespace {

QRect AvailableArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

CMonitorPopup::CMonitorPopup(const char* window, QSize size, const QString& mask,
                             std::shared_ptr<IMonitorSources> sources)
    : QWidget(nullptr),
      window_(window),
      autoHideTimer_(new QTimer(this)),
      sources_(sources ? std::move(sources) : MachineSources())
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(size);
    maskPicture_ = mask;
    autoHideTimer_->setSingleShot(true);
}

void CMonitorPopup::ShapeOnce()
{
    if (maskPicture_.isEmpty())
        return;
    // Shaped at the first showing rather than at start-up, where the picture would hold up the main
    // window. Without its picture the card keeps its rectangle rather than vanishing.
    const QBitmap shape = CachedMask(Util::getDravielsResFullPath(maskPicture_));
    maskPicture_.clear();
    if (!shape.isNull())
        setMask(shape);
}

void CMonitorPopup::SetDuration(int seconds)
{
    duration_ = qBound(1, seconds, INT_MAX / 1000);
}

QPoint CMonitorPopup::SlideStart() const
{
    const QRect area = AvailableArea();
    return QPoint(area.x() + area.width(), area.y() + area.height() - height());
}

QPoint CMonitorPopup::SlideEnd() const
{
    return SlideStart() - QPoint(width(), 0);
}

void CMonitorPopup::StartShowing()
{
    ShapeOnce();
    showTick_ = sources_->TickCount();
    autoHideTimer_->start(duration_ * 1000);
}

std::string CMonitorPopup::ResultAttribute(const std::string& seconds) const
{
    return MakeInfoAttribute({{"PopupResult", "Success"}, {"Time", seconds}});
}

void CMonitorPopup::HideWnd()
{
    if (!isVisible())
        return;
    const uint32_t seconds = (sources_->TickCount() - showTick_) / 1000;
    SendInfoEvent(window_, "Result_Popup", ResultAttribute(std::to_string(seconds)).c_str(), nullptr);
    autoHideTimer_->stop();
    hide();
}

QLabel* CMonitorPopup::PictureLabel(const QString& picture, const QRect& place)
{
    auto* label = new QLabel(this);
    label->setGeometry(place);
    label->setScaledContents(true);
    label->setPixmap(CachedPicture(Util::getDravielsResFullPath(picture)));
    return label;
}

QLabel* CMonitorPopup::RichLabel(const QString& text, const char* color, int pixelSize, int weight,
                                 const QRect& place, int room)
{
    constexpr int kSmallestPixelSize = 10;
    room = qMax(room, place.width());
    auto* label = new QLabel(this);
    for (int size = pixelSize;; --size) {
        label->setText(Util::GetFormatString(text, QStringLiteral("Segoe UI"), QLatin1String(color), size, weight));
        if (label->sizeHint().width() <= room || size <= kSmallestPixelSize)
            break;
    }
    label->setGeometry(place.x(), place.y(), qBound(place.width(), label->sizeHint().width(), room), place.height());
    return label;
}

QPushButton* CMonitorPopup::CloseButton(const QRect& place)
{
    auto* button = new QPushButton(this);
    button->setObjectName(QStringLiteral("Quarnel_CloseBtn"));
    button->setGeometry(place);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QPushButton* CMonitorPopup::AccentButton(const QString& text, const QRect& place)
{
    auto* button = new QPushButton(text, this);
    button->setGeometry(place);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(g_popButtonStyleSheet);
    return button;
}
