#include "DetailModel.h"

#include "DetailPage.h"

#include <QSize>

CDetailModel::CDetailModel(CDetailPage* page) : QAbstractItemModel(page), page_(page) {}

QModelIndex CDetailModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex CDetailModel::parent(const QModelIndex&) const { return {}; }

int CDetailModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : page_->RowCount(); }

int CDetailModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant CDetailModel::data(const QModelIndex& index, int role) const
{
    if (role == ClickableRole)
        return index.isValid() && index.column() == 0;
    if (role != Qt::DisplayRole)
        return {};
    const CDetailPage::Row row = page_->RowAt(index.row());
    return index.column() == 0 ? row.location : row.sizeText;
}

QVariant CDetailModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole)
        return section == 0 ? tr("Location") : section == 1 ? tr("Size") : QVariant();
    if (role == Qt::SizeHintRole)
        return QSize(0, 25);
    return QAbstractItemModel::headerData(section, orientation, role);
}

bool CDetailModel::setData(const QModelIndex&, const QVariant&, int) { return false; }

Qt::ItemFlags CDetailModel::flags(const QModelIndex&) const
{
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void CDetailModel::Refresh()
{
    beginResetModel();
    endResetModel();
}
