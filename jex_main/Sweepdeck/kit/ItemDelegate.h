// The library's list-row painter: a dark cell, the name column light and the second column dimmer,
// long texts shortened in the middle; every row 32 pixels high.
#pragma once

#include <QStyledItemDelegate>

class CItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CItemDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
