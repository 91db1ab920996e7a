// The disk optimisation page's volume list. A press of the left or right button on a row chooses
// that row for the page's buttons; a press below the rows chooses nothing new.
#pragma once

#include <QTreeView>

class CDiskOptList : public QTreeView {
    Q_OBJECT
public:
    CDiskOptList();

    void setModel(QAbstractItemModel* model) override;

signals:
    void ItemSelected(int nIndex);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
