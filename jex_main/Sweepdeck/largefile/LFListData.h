// The large files of the last scan as a flat four-column item model (Name, Size, Date created,
// File location), the user's check marks kept in step with the gatherer's own, and the permanent
// deletion of the checked files.
//
// Rows change only on the GUI thread and only with the model's reset notifications: a scan worker
// collects the found files (LoadGarbages) and the GUI thread takes them as the rows once the worker
// has ended (ShowLoaded); the deletion worker only marks each row's outcome.
#pragma once

#include "LFFileItem.h"

#include "async/AsyncObj.h"
#include "jex_main/large_file_gatherer/IBulkseek.h"

#include <QAbstractItemModel>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QSet>

#include <atomic>

// The scan outcome when there is no gatherer to scan with.
constexpr OpResult kScanUnavailable = MakeResult(0, RESULT_NOT_INITIALISED);

class CLFListData : public QAbstractItemModel, public IBulkseekSink, public CAsyncObj {
    Q_OBJECT
public:
    // The gatherer is the one the services object holds at the time of each load or deletion;
    // without one (the plug-in is missing) nothing is loaded or deleted.
    CLFListData();
    ~CLFListData() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Scan worker: collects the gatherer's found files, in its order, for ShowLoaded. cancelled
    // tells whether the user stopped the scan.
    void LoadGarbages(bool cancelled);
    // GUI thread, after the scan worker has ended: the collected files become the rows.
    void ShowLoaded();
    // GUI thread: no rows, nothing checked; the flags stay.
    void ClearItems();
    // Stops a running load or deletion after the file in hand and returns once it has ended.
    void Cancel();

    int GetCount() const { return items.size(); }
    bool IsCancelled() const { return cancelled; }
    // The outcome of the scan behind the rows: 0, or the failure that left them empty.
    void SetScanResult(OpResult result) { scanResult = result; }
    OpResult GetScanResult() const { return scanResult; }
    bool IsDeleting() const { return deleting; }
    // The file of a row, or null outside the list.
    IBigFileGarbageInfo* FileAt(int row) const;

    // GUI thread: flips one row's check mark and reports the change through CheckChanged. Refused
    // while a deletion runs.
    void ToggleRow(int row);

    // Deletion, in this order: BeginDelete (GUI thread) answers the checked rows; EmptyGarbage runs
    // on a worker; FinishDelete (GUI thread) counts the outcome, unchecks what is left and drops the
    // deleted rows.
    QSet<int> BeginDelete();
    int EmptyGarbage();
    void FinishDelete(int& deleted, int& failed, qint64& deletedSize);

    // The Size column's text: whole units without decimals, else at most four characters.
    static QString FormatFileSize(quint64 bytes);

    bool OnCatagory(IBigFileCatagory*) override { return false; }
    bool OnGarbage(IBigFileGarbageInfo* item) override;
    bool OnProgress(int, int) override { return true; }
    bool OnScanFile(IBigFileGarbageInfo*, std::wstring, int, double) override { return false; }
    bool OnSameFile(IBigFileGarbageInfo*, IBigFileGarbageInfo*) override { return false; }
    bool OnUnusedEvent(int, int, int) override { return false; }
    bool OnEmptyGarbage(IBigFileGarbageInfo* item, bool deleted, int percent, std::wstring failInfo) override;

signals:
    // Files (and their bytes) that just became checked, then those that just became unchecked.
    void CheckChanged(int nfileInc, qint64 nSizeInc, int nfileDec, qint64 nSizeDec);

private:
    void ReplaceRows(QList<LFFileItem*> rows);

    QList<LFFileItem*> items;
    QSet<int> checkedRows;
    QMap<IBigFileGarbageInfo*, LFFileItem*> checkedFiles;
    std::atomic<bool> deleting{false};
    std::atomic<bool> goOn{true};
    QMutex lock;
    std::atomic<bool> cancelled{false};
    std::atomic<OpResult> scanResult{RESULT_OK};
    QList<LFFileItem*> loaded; // collected by the scan worker under lock
};
