// The large-file result list: a flat, owner-painted tree view in which a click on a row's first
// three columns flips its check mark and a click on File location shows the file in Explorer.
#pragma once

#include <QTreeView>

class CLFListData;

class CLFListView : public QTreeView {
    Q_OBJECT
public:
    CLFListView();

    // Attaches the model when it is new (with the list's column layout) and always resets the
    // view, so rows hidden during a deletion show again.
    void SetListData(CLFListData* model);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void OnClick(QMouseEvent* event);
};
