#include "ListHeaderView.h"

#include "ListRoles.h"

#include <QPainter>

namespace {

constexpr int kHeaderHeight = 32;
const QColor kSectionFill("#252b38");
const QColor kDivider("#20242f");
const QColor kTitle("#c6d6f0");

} // namespace

CListHeaderView::CListHeaderView() : QHeaderView(Qt::Horizontal) {}

QSize CListHeaderView::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(kHeaderHeight);
    return size;
}

void CListHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(kSectionFill);
    // Filled whole: a row left bare would show the light ground beneath as a hairline.
    painter->drawRect(rect);
    if (logicalIndex != 0) {
        painter->setPen(kDivider);
        painter->drawLine(rect.left(), rect.top() + 8, rect.left(), rect.bottom() - 8);
    }
    const QAbstractItemModel* source = model();
    const QString title = source ? source->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString() : QString();
    const QVariant indentData = source ? source->headerData(logicalIndex, Qt::Horizontal, IndentRole) : QVariant();
    const int indent = indentData.isValid() ? indentData.toInt() : 0;
    const QRect textRect = rect.adjusted(indent, 0, -2, 0);
    const QString text = painter->fontMetrics().elidedText(title, Qt::ElideRight, textRect.width());
    const Qt::Alignment alignment = QStyle::visualAlignment(layoutDirection(), defaultAlignment() | Qt::AlignVCenter);
    QPalette palette;
    palette.setColor(QPalette::WindowText, kTitle);
    painter->setPen(kTitle);
    style()->drawItemText(painter, textRect, static_cast<int>(alignment), palette, isEnabled(), text, foregroundRole());
    painter->restore();
}
