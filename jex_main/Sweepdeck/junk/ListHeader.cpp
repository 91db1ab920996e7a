#include "ListHeader.h"

#include "kit/ResPicture.h"

#include <QPainter>

CListHeader::CListHeader() : QHeaderView(Qt::Horizontal)
{
    setStretchLastSection(true);
    connect(this, &QHeaderView::sectionClicked, this, &CListHeader::onSectionClicked);
    setFixedHeight(32);
}

void CListHeader::SetSortable(bool sortable) { sortable_ = sortable; }

void CListHeader::onSectionClicked(int)
{
    if (sortable_)
        arrowsShown_ = true;
}

void CListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString()
                                 : QString();
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor("#2c3342"));
    painter->drawRect(rect);

    const QRect textRect = rect.adjusted(logicalIndex == 0 ? 20 : 5, 0, 0, 0);
    painter->setPen(QColor("#c6d6f0"));
    QFont font = this->font();
    font.setPixelSize(12);
    painter->setFont(font);
    const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, textRect.width());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, shown);

    if (arrowsShown_ && logicalIndex == sortIndicatorSection()) {
        const QString name = sortIndicatorOrder() == Qt::DescendingOrder ? QStringLiteral("arrowD.png")
                                                                         : QStringLiteral("arrowU.png");
        const QPixmap arrow = ResPicture(name);
        painter->drawPixmap(textRect.x() + textRect.width() / 2, textRect.y() + arrow.height(), arrow);
    }

    if (!model() || logicalIndex != model()->columnCount() - 1) {
        painter->setPen(QColor("#20242f"));
        painter->drawLine(rect.topRight() + QPoint(0, 8), rect.bottomRight() - QPoint(0, 8));
    }
    painter->restore();
}
