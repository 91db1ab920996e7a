#include "LFListView.h"

#include "LFListData.h"
#include "ListStyle.h"

#include "services/UIPublic.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace {

constexpr int kLocationColumn = 3;

} // namespace

CLFListView::CLFListView()
{
    setAttribute(Qt::WA_Resized, true);
    setWindowFlags(Qt::FramelessWindowHint);
    ApplyCleanupListLook(this);
    setMouseTracking(true);
}

void CLFListView::SetListData(CLFListData* model)
{
    if (model != this->model()) {
        setModel(model);
        QHeaderView* sections = header();
        sections->setMinimumSectionSize(100);
        sections->setStretchLastSection(true);
        sections->setDefaultAlignment(Qt::AlignLeft);
        sections->setSectionResizeMode(QHeaderView::Interactive);
        sections->resizeSection(0, 300);
        sections->resizeSection(1, 100);
        sections->resizeSection(2, 120);
        sections->setSectionResizeMode(1, QHeaderView::Fixed);
        sections->setSectionResizeMode(2, QHeaderView::Fixed);
    }
    reset();
}

void CLFListView::OnClick(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    const QModelIndex index = indexAt(event->pos());
    auto* list = qobject_cast<CLFListData*>(model());
    if (!index.isValid() || !list)
        return;
    if (index.column() == kLocationColumn) {
        if (IBigFileGarbageInfo* file = list->FileAt(index.row()))
            CUIPublic::OpenFileLocation(file->GetInfo()->path.c_str());
        return;
    }
    if (list->IsDeleting())
        return;
    list->ToggleRow(index.row());
    update(list->index(index.row(), 0));
}

void CLFListView::mousePressEvent(QMouseEvent* event)
{
    OnClick(event);
    QTreeView::mousePressEvent(event);
}

void CLFListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    OnClick(event);
    QTreeView::mouseDoubleClickEvent(event);
}

void CLFListView::mouseMoveEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (index.isValid()) {
        const Qt::CursorShape wanted = index.column() == kLocationColumn ? Qt::PointingHandCursor : Qt::ArrowCursor;
        if (cursor().shape() != wanted)
            setCursor(wanted);
    }
    QTreeView::mouseMoveEvent(event);
}
