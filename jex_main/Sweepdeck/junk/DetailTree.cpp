#include "DetailTree.h"

#include "DetailModel.h"

#include <QMouseEvent>

void CDetailTree::mouseMoveEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    const bool clickable = index.isValid() && index.data(CDetailModel::ClickableRole).toBool();
    viewport()->setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QTreeView::mouseMoveEvent(event);
}
