#include "CleanupTreeList.h"

#include "BindData.h"
#include "CleanUpItemDelegate.h"

#include <QMouseEvent>

CCleanupTreeList::CCleanupTreeList(QWidget* parent)
    : QTreeWidget(parent), delegate_(new CCleanUpItemDelegate(nullptr))
{
    setFrameStyle(QFrame::NoFrame);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    setSortingEnabled(false);
    setItemDelegate(delegate_);
    setStyleSheet(QStringLiteral("QTreeView::branch{border-image:url(none.png);}"));
    setColumnCount(4);
    // Qt fills the indentation left of a selected row with the highlight colour; the rows paint
    // everything else themselves, so the page's colour stands there too.
    QPalette look = palette();
    look.setColor(QPalette::Highlight, QColor("#20242f"));
    setPalette(look);
}

// The delegate has no parent so that the page can wait on it; the tree owns it.
CCleanupTreeList::~CCleanupTreeList()
{
    setItemDelegate(nullptr);
    delete delegate_;
}

void CCleanupTreeList::AddSpacer()
{
    auto* spacer = new QTreeWidgetItem(this, 0);
    spacer->setData(0, junk_rows::kSpacerRole, 1);
    spacer->setFlags(Qt::NoItemFlags);
}

void CCleanupTreeList::mousePressEvent(QMouseEvent* event)
{
    if (workMode_ != Idle) {
        event->ignore();
        return;
    }
    QTreeWidgetItem* item = itemAt(event->pos());
    if (!item) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    if (item->data(0, junk_rows::kHitRectRole).toRect().contains(event->pos())) {
        emit checkToggled(item);
        event->ignore();
        return;
    }
    if (analysed_ && item->data(3, junk_rows::kHitRectRole).toRect().contains(event->pos())) {
        emit detail(item);
        event->ignore();
        return;
    }
    if (!item->parent())
        item->setExpanded(!item->isExpanded());
    QTreeWidget::mousePressEvent(event);
}

void CCleanupTreeList::mouseMoveEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (index.isValid()) {
        const QRect link = index.column() == 3 ? index.data(junk_rows::kHitRectRole).toRect() : QRect();
        setCursor(link.isValid() && link.contains(event->pos()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    QTreeWidget::mouseMoveEvent(event);
}
