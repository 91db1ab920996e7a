// Paints every row of the junk category tree: background and hover line, the tri-state check box,
// the application icon, the name, the status line of top-level rows, the per-row count, size and
// "Details" link, and the open/close, busy or done icon of top-level rows. It stores the hit
// rectangles the tree's mouse handling reads, and turns its busy animation exactly while the page
// waits on it for a worker.
#pragma once

#include "async/AsyncObj.h"

#include <QColor>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTimer>

class CCleanupTreeList;
class IDregsweepCatagory;
struct bindData;

class CCleanUpItemDelegate : public QStyledItemDelegate, public CAsyncObj {
    Q_OBJECT
public:
    explicit CCleanUpItemDelegate(QObject* parent = nullptr);
    ~CCleanUpItemDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    int Wait(CEvtLoop* loop) override;
    int Quit(CEvtLoop* loop) override;

    // The second line of a top-level row of the kind, by its category's state; a null category
    // reads as analysed.
    static QString StatusText(IDregsweepCatagory* object, int kind, int workMode);
    // Column 1, 2 or 3 of an enabled child row once an analysis has started.
    static QString ColumnText(IDregsweepCatagory* object, int column, int workMode);

    int AnimationFrame() const { return frame_; }
    bool IsAnimating() const { return timer_.isActive(); }
    int FileCountWidth() const { return fileCountWidth_; }
    int SizeWidth() const { return sizeWidth_; }
    int DetailWidth() const { return detailWidth_; }

private slots:
    void onTimeOut();

private:
    struct RowContext;

    bool FindRow(const QStyleOptionViewItem& option, const QModelIndex& index, RowContext& row) const;
    void PaintBackground(QPainter* painter, QStyleOptionViewItem option, const RowContext& row) const;
    void PaintCheckAndIcon(QPainter* painter, QStyleOptionViewItem option, const RowContext& row) const;
    void PaintText(QPainter* painter, QStyleOptionViewItem option, const RowContext& row) const;
    void ForgetLink(const RowContext& row) const;
    void PaintGroupIcon(QPainter* painter, const QStyleOptionViewItem& option, const RowContext& row) const;

    QColor normalColour_{"#20242f"};
    QColor hoverColour_{27, 225, 208, 20};
    mutable int textStart_ = 0;
    int frame_ = 0;
    QTimer timer_;
    QStringList loadingFrames_;
    mutable CCleanupTreeList* tree_ = nullptr;
    int fileCountWidth_ = 70;
    int sizeWidth_ = 70;
    int detailWidth_ = 70;
};
