// The clean-up lists' horizontal header: dark sections with a thin divider and indented titles, no
// sort indicator.
#pragma once

#include <QHeaderView>

class CListHeaderView : public QHeaderView {
    Q_OBJECT
public:
    CListHeaderView();

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};
