#include "DiskOptList.h"

#include "kit/KitFont.h"
#include "largefile/ListHeaderView.h"
#include "largefile/ListStyle.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace {

constexpr int kSectionWidth = 200;

} // namespace

CDiskOptList::CDiskOptList()
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setFrameStyle(0);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(false);
    setHeader(new CListHeaderView);
    auto* listStyle = new CListStyle;
    listStyle->setParent(this);
    setStyle(listStyle);
    setFont(KitFont(font(), 12));
    // The space below the last row is the page's dark background, not the light default.
    QPalette dark = palette();
    dark.setColor(QPalette::Base, QColor("#20242f"));
    dark.setColor(QPalette::Window, QColor("#20242f"));
    setPalette(dark);
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
