// The flat list of a details dialog's files, read from the dialog's rows in the order reported.
#pragma once

#include <QAbstractItemModel>

class CDetailPage;

class CDetailModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Marks the clickable column (the location).
    static constexpr int ClickableRole = 6;

    explicit CDetailModel(CDetailPage* page);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows appended since the last reset become visible.
    void Refresh();

private:
    CDetailPage* page_;
};
