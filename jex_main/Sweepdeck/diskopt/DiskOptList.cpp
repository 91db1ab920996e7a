#include "DiskOptList.h"

#include "largefile/ListStyle.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace {

constexpr int kSectionWidth = 200;

} // namespace

CDiskOptList::CDiskOptList()
{
    ApplyCleanupListLook(this, RowChoice::BySelection);
}

void CDiskOptList::setModel(QAbstractItemModel* model)
{
    if (model == this->model())
        return;
    QTreeView::setModel(model);
    QHeaderView* sections = header();
    sections->setStretchLastSection(true);
    sections->setDefaultAlignment(Qt::AlignLeft);
    sections->setSectionResizeMode(QHeaderView::Interactive);
    sections->resizeSection(0, kSectionWidth);
    sections->resizeSection(1, kSectionWidth);
}

void CDiskOptList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        const QModelIndex index = indexAt(event->pos());
        if (index.isValid())
            emit ItemSelected(index.row());
    }
    QTreeView::mousePressEvent(event);
}
