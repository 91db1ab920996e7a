#include "TitleCloseLabel.h"

#include "common/MachinePicture.h"

CTitleCloseLabel::CTitleCloseLabel(const QString& text, const QString& hoverImage, QWidget* parent)
    : QLabel(text, parent), text_(text), hoverImage_(hoverImage)
{
    setObjectName(QStringLiteral("PopMsgItemTitleCloseLabel"));
}

void CTitleCloseLabel::enterEvent(QEvent* event)
{
    if (!hoverImage_.isEmpty())
        setPixmap(CachedPicture(hoverImage_));
    QLabel::enterEvent(event);
}

void CTitleCloseLabel::leaveEvent(QEvent* event)
{
    if (!text_.isEmpty())
        setText(text_);
    QLabel::leaveEvent(event);
}

void CTitleCloseLabel::mouseReleaseEvent(QMouseEvent*)
{
    emit sigClicked();
}
