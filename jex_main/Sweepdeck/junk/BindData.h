// The record behind each row of the junk category tree, kept in column 0 under Qt::UserRole. The
// page writes it; the row painting and the details dialog read it.
#pragma once

#include <QMetaType>
#include <QTreeWidgetItem>
#include <QtGlobal>

class IDregsweepCatagory;

struct bindData {
    IDregsweepCatagory* object = nullptr;  // not owned: the gatherer keeps its tree until Uninit
    int level = 0;                         // 1 top-level group, 2 program or sub-group, 3 leaf
    int kind = 0;                          // the top-level category's kind, copied to its descendants
    quint64 size = 0;                      // bytes found or cleaned under the row
    int count = 0;                         // junk items found or cleaned under the row
};
Q_DECLARE_METATYPE(bindData)
// The junk page hands rows across threads in queued signals.
Q_DECLARE_METATYPE(QTreeWidgetItem*)

namespace junk_rows {

// Registers the record with Qt's meta-type system under its own name; safe to call repeatedly.
void RegisterBindData();

// The row's record; a record with a null object when the row carries none.
bindData RowData(const QTreeWidgetItem* item);

// Roles of the category tree's items.
constexpr int kHitRectRole = Qt::UserRole + 1;   // column 0: check box; column 3: "Details" link
constexpr int kSpacerRole = Qt::UserRole + 255;  // column 0: int 1 marks a spacer row

} // namespace junk_rows
