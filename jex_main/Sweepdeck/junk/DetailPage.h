// The "Details" dialog of a junk category: every file of the category with its location and size,
// gathered on a worker thread from the gatherer's junk items. Clicking a location shows the file
// selected in the file manager.
#pragma once

#include "IDregsweep.h"
#include "async/AsyncObj.h"

#include <QDialog>
#include <QMutex>
#include <QTimer>
#include <QVector>

#include <atomic>

class CDetailModel;
class CDetailTree;
class CFrameTitle;

class CDetailPage : public QDialog, public IGarbageFileSink, public CAsyncObj {
    Q_OBJECT
public:
    struct Row {
        QString location;
        QString sizeText;
    };

    // category: not owned, kept alive by the gatherer. direct: its children are junk items;
    // otherwise they are categories whose children are.
    CDetailPage(IDregsweepCatagory* category, bool direct, QWidget* parent);
    ~CDetailPage() override;

    void OnGarbageFile(std::wstring path, uint64_t size, int reserved) override;

    int RowCount() const;
    Row RowAt(int row) const;
    CDetailTree* Tree() const { return tree_; }
    bool IsGathering() const { return gathering_; }

signals:
    void updateTree();

private slots:
    void onUpdateTree();
    void onTimeout();
    void onItemClicked(const QModelIndex& index);
    void TitlebtnClick(int);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int GatherWorker();
    void EnumItems(IDregsweepCatagory* category);

    CDetailTree* tree_;
    CDetailModel* model_;
    IDregsweepCatagory* category_;
    QVector<Row> rows_;
    QTimer startTimer_;
    bool direct_;
    mutable QMutex rowsLock_;
    CFrameTitle* title_;
    bool gathering_ = false;
    // Set when the dialog is closed: the gathering stops at the next junk item.
    std::atomic<bool> closed_{false};
};
