#include "BindData.h"

#include <QTreeWidgetItem>

namespace junk_rows {

void RegisterBindData()
{
    qRegisterMetaType<bindData>("bindData");
    qRegisterMetaType<QTreeWidgetItem*>("QTreeWidgetItem*");
}

bindData RowData(const QTreeWidgetItem* item)
{
    if (!item)
        return {};
    const QVariant value = item->data(0, Qt::UserRole);
    return value.canConvert<bindData>() ? value.value<bindData>() : bindData{};
}

} // namespace junk_rows
