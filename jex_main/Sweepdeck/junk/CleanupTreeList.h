// The junk category list of the clean-up page: four columns whose rows the category row delegate
// paints. Clicks become check toggles, "Details" requests or a group opening and closing, using
// the hit rectangles the delegate stores in the items.
#pragma once

#include <QTreeWidget>

class CCleanUpItemDelegate;

class CCleanupTreeList : public QTreeWidget {
    Q_OBJECT
public:
    enum WorkMode { Analysing = 0, Idle = 1, Cleaning = 2 };

    explicit CCleanupTreeList(QWidget* parent = nullptr);
    ~CCleanupTreeList() override;

    bool IsAnalysed() const { return analysed_; }
    void SetAnalysed(bool analysed) { analysed_ = analysed; }
    int GetWorkMode() const { return workMode_; }
    void SetWorkMode(int mode) { workMode_ = mode; }

    // A 6-px gap row after a top-level group.
    void AddSpacer();

    CCleanUpItemDelegate* RowDelegate() const { return delegate_; }
    QTreeWidgetItem* ItemOf(const QModelIndex& index) const { return itemFromIndex(index); }

signals:
    void checkToggled(QTreeWidgetItem* item);
    void detail(QTreeWidgetItem* item);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool analysed_ = false;
    int workMode_ = Idle;
    CCleanUpItemDelegate* delegate_;
};
