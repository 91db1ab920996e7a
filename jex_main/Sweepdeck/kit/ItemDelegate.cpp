#include "ItemDelegate.h"

#include "KitFont.h"

#include <QPainter>

CItemDelegate::CItemDelegate(QObject* parent) : QStyledItemDelegate(parent)
{
}

void CItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    QFont font = KitFont(painter->font(), 14);
    QPen pen;

    // The first column also covers the row's indent.
    QRect cell = option.rect;
    if (index.column() == 0)
        cell.setLeft(0);
    painter->fillRect(cell, QColor("#272d3b"));

    if (index.column() == 0) {
        if (!index.model()) {
            painter->restore();
            return;
        }
        if (option.state & QStyle::State_MouseOver)
            font.setUnderline(index.data(Qt::FontRole).toBool());
        pen.setColor(QColor("#c6d6f0"));
    } else if (index.column() == 1) {
        pen.setColor(QColor("#8f9ab3"));
    }
    painter->setFont(font);
    painter->setPen(pen);
    const QString text = painter->fontMetrics().elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle,
                                                           option.rect.width());
    painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}

QSize CItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 32);
}
