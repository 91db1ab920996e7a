// The owner-drawn header of the junk details list: dark sections, elided light text, a thin
// separator between sections and, once sorting is allowed and used, an arrow on the sorted one.
#pragma once

#include <QHeaderView>

class CListHeader : public QHeaderView {
    Q_OBJECT
public:
    CListHeader();

    void SetSortable(bool sortable);
    bool ArrowsShown() const { return arrowsShown_; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private slots:
    void onSectionClicked(int iLogicalIndex);

private:
    bool arrowsShown_ = false;
    bool sortable_ = false;
};
