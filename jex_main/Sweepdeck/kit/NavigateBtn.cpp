#include "NavigateBtn.h"

#include "KitFont.h"

#include <QPainter>

CNavigateBtn::CNavigateBtn(int id, const QIcon& icon, const QString& text, QWidget* parent)
    : CIndexBtn(id, icon, text, parent)
{
    setFixedWidth(60);
}

void CNavigateBtn::paintEvent(QPaintEvent*)
{
    const int iconWidth = icon().pixmap(iconSize(), QIcon::Normal).width();

    QColor color("#6f788b");
    QIcon::Mode mode = QIcon::Normal;
    if (IsPressedFlag()) {
        color = QColor("#5c6373");
        mode = QIcon::Selected;
    } else if (IsHovered()) {
        color = QColor("#b7c6e6");
        mode = QIcon::Active;
    }
    if (!isEnabled()) {
        color = QColor("#333740");
        mode = QIcon::Disabled;
    }

    QPainter painter(this);
    icon().paint(&painter, rect(), Qt::AlignLeft | Qt::AlignVCenter, mode);
    QFont font;
    font.setFamily(KitFontFamily());
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect().adjusted(iconWidth + 4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
}
