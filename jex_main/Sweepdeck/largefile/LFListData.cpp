#include "LFListData.h"

#include "ListRoles.h"
#include "ToolTipText.h"

#include "common/InfoAttribute.h"
#include "common/SendInfo.h"
#include "common/TallyrunBinding.h"
#include "services/UIPublic.h"

#include <QColor>
#include <QIcon>
#include <QSize>

#include <cinttypes>
#include <cstdio>

namespace {

enum Column { NameColumn, SizeColumn, DateColumn, LocationColumn, ColumnCount };

constexpr int kRowHeight = 32;
constexpr int kStatDeletedBytes = 0x1100B;
constexpr int kStatDeletedFiles = 0x1100C;

QString FolderOf(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    return QString::fromStdWString(slash == std::wstring::npos ? path : path.substr(0, slash));
}

QVariant Foreground(int column, const LFFileItem& item)
{
    switch (column) {
    case NameColumn: return QColor(item.state == LFFileItem::DeletionFailed ? "#cf1616" : "#c6d6f0");
    case SizeColumn: return QColor("#c6d6f0");
    case DateColumn: return QColor("#6f788b");
    default: return QColor("#1bc7ba");
    }
}

void ReportDeletionFailure(const std::wstring& path, std::wstring failInfo)
{
    for (size_t lineEnd; (lineEnd = failInfo.find(L"\r\n")) != std::wstring::npos;)
        failInfo.erase(lineEnd, 2);
    const QByteArray name = QString::fromStdWString(path).toLocal8Bit();
    const QByteArray reason = QString::fromStdWString(failInfo).toLocal8Bit();
    const std::string attribute = MakeInfoAttribute({{"Name", std::string_view(name.constData(), name.size())},
                                                     {"DeletionFailInfo", std::string_view(reason.constData(), reason.size())}});
    SendInfoEvent("DeleteCompleted", "Result_DeleteCompleted", attribute.c_str(), "");
}

} // namespace

CLFListData::CLFListData() = default;

CLFListData::~CLFListData()
{
    Cancel();
    qDeleteAll(items);
    qDeleteAll(loaded);
}

// A flat list: rows hang only from the root.
QModelIndex CLFListData::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= items.size() || column < 0 || column >= ColumnCount)
        return QModelIndex();
    return createIndex(row, column, items[row]);
}

QModelIndex CLFListData::parent(const QModelIndex&) const { return QModelIndex(); }

int CLFListData::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : items.size(); }

int CLFListData::columnCount(const QModelIndex&) const { return ColumnCount; }

QVariant CLFListData::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= items.size() || index.column() < 0 || index.column() >= ColumnCount)
        return QVariant();
    const LFFileItem& item = *items[index.row()];
    const _BigFile_Info_* record = item.info->GetInfo();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case NameColumn: return QString::fromStdWString(record->displayName);
        case SizeColumn: return FormatFileSize(record->size);
        case DateColumn: return CUIPublic::FormatDate(record->lastWriteTime);
        default: return FolderOf(record->path);
        }
    case Qt::DecorationRole:
        return column == NameColumn ? QVariant(CUIPublic::Instance()->GetFileIcon(QString::fromStdWString(record->displayName)))
                                    : QVariant();
    case Qt::ToolTipRole:
        if (column == NameColumn)
            return ToolTipText(QString::fromStdWString(record->displayName));
        return column == LocationColumn ? QVariant(ToolTipText(FolderOf(record->path))) : QVariant();
    case Qt::ForegroundRole: return Foreground(column, item);
    case Qt::CheckStateRole:
        return column == NameColumn ? QVariant(item.info->GetCheckState() ? Qt::Checked : Qt::Unchecked) : QVariant();
    case Qt::SizeHintRole: return QSize(10, kRowHeight);
    case IndentRole: return column == NameColumn ? 20 : 10;
    case ElideRole: return static_cast<int>(Qt::ElideMiddle);
    case HoverUnderlineRole: return column == LocationColumn;
    default: return QVariant();
    }
}

bool CLFListData::setData(const QModelIndex&, const QVariant&, int) { return true; }

QVariant CLFListData::headerData(int section, Qt::Orientation, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        switch (section) {
        case NameColumn: return tr("Name");
        case SizeColumn: return tr("Size");
        case DateColumn: return tr("Date created");
        case LocationColumn: return tr("File location");
        default: return QVariant();
        }
    case Qt::SizeHintRole: return QSize(0, 25);
    case IndentRole: return section == NameColumn ? 22 : 12;
    default: return QVariant();
    }
}

Qt::ItemFlags CLFListData::flags(const QModelIndex& index) const
{
    // The root is no item: views ask it whether drops land between rows.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void CLFListData::LoadGarbages(bool scanCancelled)
{
    QMutexLocker locker(&lock);
    cancelled = scanCancelled;
    goOn = true;
    qDeleteAll(loaded);
    loaded.clear();
    if (IBulkseek* gatherer = CUIPublic::Instance()->GetBulkseek())
        gatherer->GetGarbages(this);
}

bool CLFListData::OnGarbage(IBigFileGarbageInfo* item)
{
    if (item)
        loaded.append(new LFFileItem(item));
    return goOn;
}

void CLFListData::ShowLoaded()
{
    QList<LFFileItem*> rows;
    {
        QMutexLocker locker(&lock);
        rows.swap(loaded);
    }
    ReplaceRows(rows);
}

void CLFListData::ClearItems() { ReplaceRows({}); }

void CLFListData::ReplaceRows(QList<LFFileItem*> rows)
{
    beginResetModel();
    rows.swap(items);
    checkedRows.clear();
    checkedFiles.clear();
    endResetModel();
    qDeleteAll(rows);
}

void CLFListData::Cancel()
{
    goOn = false;
    lock.lock();
    lock.unlock();
}

IBigFileGarbageInfo* CLFListData::FileAt(int row) const
{
    return row >= 0 && row < items.size() ? items[row]->info : nullptr;
}

void CLFListData::ToggleRow(int row)
{
    if (row < 0 || row >= items.size() || deleting)
        return;
    LFFileItem* item = items[row];
    item->info->ChangeCheckState();
    const qint64 size = static_cast<qint64>(item->info->GetInfo()->size);
    if (item->info->GetCheckState()) {
        checkedRows.insert(row);
        checkedFiles.insert(item->info, item);
        emit CheckChanged(1, size, 0, 0);
    } else {
        checkedRows.remove(row);
        checkedFiles.remove(item->info);
        emit CheckChanged(0, 0, 1, size);
    }
    const QModelIndex cell = index(row, NameColumn);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

QSet<int> CLFListData::BeginDelete()
{
    deleting = true;
    return checkedRows;
}

int CLFListData::EmptyGarbage()
{
    QMutexLocker locker(&lock);
    goOn = true;
    if (IBulkseek* gatherer = CUIPublic::Instance()->GetBulkseek())
        gatherer->EmptyGarbage(this);
    return 0;
}

bool CLFListData::OnEmptyGarbage(IBigFileGarbageInfo* item, bool deleted, int, std::wstring failInfo)
{
    // checkedFiles does not change while deleting is set.
    if (LFFileItem* row = checkedFiles.value(item))
        row->state = deleted ? LFFileItem::Deleted : LFFileItem::DeletionFailed;
    if (!failInfo.empty() && item && item->GetInfo())
        ReportDeletionFailure(item->GetInfo()->path, std::move(failInfo));
    return goOn;
}

void CLFListData::FinishDelete(int& deleted, int& failed, qint64& deletedSize)
{
    deleted = 0;
    failed = 0;
    deletedSize = 0;
    for (LFFileItem* item : qAsConst(checkedFiles)) {
        if (item->info->GetCheckState())
            item->info->ChangeCheckState();
        if (item->state == LFFileItem::Deleted) {
            deletedSize += static_cast<qint64>(item->info->GetInfo()->size);
            ++deleted;
        } else {
            // Not reached because the deletion was stopped: failed as well.
            item->state = LFFileItem::DeletionFailed;
            ++failed;
        }
    }
    const quint64 bytes = static_cast<quint64>(deletedSize);
    Tallyrun_SpySetValueEx(kStatDeletedBytes, static_cast<DWORD>(bytes), static_cast<DWORD>(bytes >> 32));
    const quint64 files = static_cast<quint64>(checkedFiles.size() - failed);
    Tallyrun_SpySetValueEx(kStatDeletedFiles, static_cast<DWORD>(files), static_cast<DWORD>(files >> 32));
    checkedFiles.clear();
    if (deleted > 0) {
        QList<LFFileItem*> kept;
        QList<LFFileItem*> gone;
        for (LFFileItem* item : qAsConst(items))
            (item->state == LFFileItem::Deleted ? gone : kept).append(item);
        beginResetModel();
        items.swap(kept);
        endResetModel();
        qDeleteAll(gone);
    }
    checkedRows.clear();
    deleting = false;
}

QString CLFListData::FormatFileSize(quint64 bytes)
{
    struct Unit {
        quint64 bytes;
        const char* suffix;
    };
    static const Unit kUnits[] = {{1ULL << 40, " TB"}, {1ULL << 30, " GB"}, {1ULL << 20, " MB"}, {1ULL << 10, " KB"}};
    char text[64];
    for (const Unit& unit : kUnits) {
        if (unit.bytes > bytes)
            continue;
        if (bytes % unit.bytes == 0) {
            std::snprintf(text, sizeof text, "%" PRIu64 "%s", static_cast<uint64_t>(bytes / unit.bytes), unit.suffix);
            return tr(text);
        }
        char value[32];
        std::snprintf(value, sizeof value, "%.2f", static_cast<double>(bytes) / static_cast<double>(unit.bytes));
        QByteArray kept = QByteArray(value).left(4);
        if (kept.endsWith('.'))
            kept.chop(1);
        return tr((kept + unit.suffix).constData());
    }
    std::snprintf(text, sizeof text, "%" PRIu64 "%s", static_cast<uint64_t>(bytes), bytes >= 2 ? " Bytes" : "Byte");
    return tr(text);
}
