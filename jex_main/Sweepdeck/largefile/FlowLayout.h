// A layout that places its items left to right and starts a new row when the next item would pass
// the right edge.
#pragma once

#include <QLayout>
#include <QList>
#include <QStyle>

class FlowLayout : public QLayout {
public:
    FlowLayout(QWidget* parent, int margin, int hSpacing, int vSpacing);
    FlowLayout(int margin, int hSpacing, int vSpacing);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;

    // The spacing given to the constructor, or the parent's own when that was negative.
    int horizontalSpacing() const;
    int verticalSpacing() const;

private:
    // Places the items in rect (or only measures, with testOnly); the height used.
    int doLayout(const QRect& rect, bool testOnly) const;
    int smartSpacing(QStyle::PixelMetric pm) const;

    QList<QLayoutItem*> itemList;
    int hSpace;
    int vSpace;
};
