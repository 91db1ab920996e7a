// The details dialog's file list: a pointing hand over the clickable locations.
#pragma once

#include <QTreeView>

class CDetailTree : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};
