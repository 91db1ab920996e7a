// The disk optimisation list's model: one row per volume of the volume lister, whose state the
// defragmentation controllers' status callback changes from their worker threads.
#pragma once

#include "jex_main/Scatterscope/IDefragController.h"

#include <QAbstractItemModel>
#include <QPixmap>

#include <atomic>
#include <memory>
#include <vector>

class IDrivelist;

struct DiskOptRow {
    wchar_t volumeName[64] = {};
    wchar_t label[64] = {};
    int32_t letterIndex = -1; // 0 = A ... 25 = Z; -1 none
    int32_t fileSystem = 0;
    // Written by the controllers' threads, read by the GUI thread.
    std::atomic<int32_t> state{0};
    std::atomic<INT_PTR> value{0};
    int32_t dotCount = 0;
    QPixmap icon;
};

class CDiskOptData : public QAbstractItemModel {
    Q_OBJECT
public:
    CDiskOptData();
    ~CDiskOptData() override;

    // Fills the rows once from the lister (null: none). Later calls keep the rows already there:
    // the controllers' threads walk them without a lock.
    void LoadVolumes(IDrivelist* lister);
    // Takes one status record: the first row of that volume (letter case ignored) takes its state
    // and value, and ItemChanged is emitted on the calling thread.
    OpResult OnStatus(const _Defrag_Status_Info_* status);
    DiskOptRow* GetRow(int row) const;

    // The controllers' callback; the context is the model.
    static OpResult DiskOptStatusProc(void* context, const _Defrag_Status_Info_* status);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The "Current Status" text of a row (advances the running rows' dots).
    QString StatusText(DiskOptRow& row) const;

signals:
    void ItemChanged(int nIndex);

private:
    std::vector<std::unique_ptr<DiskOptRow>> rows_;
};
