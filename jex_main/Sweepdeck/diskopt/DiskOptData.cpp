#include "DiskOptData.h"

#include "jex_main/volume_list/IDrivelist.h"
#include "kit/ResPicture.h"
#include "largefile/ListRoles.h"

#include "platform/Text.h"
#include "platform/win/ShellDrives.h"

#include <QColor>
#include <QFileIconProvider>
#include <QSize>

#include <algorithm>
#include <cwchar>
#include <new>

namespace {

constexpr int kColumns = 3;
constexpr int kIconSize = 16;

void CopyName(wchar_t (&target)[64], const wchar_t* source)
{
    wcsncpy(target, source, 63);
    target[63] = L'\0';
}

QString LetterText(int letterIndex)
{
    if (letterIndex < 0 || letterIndex > 25)
        return QString();
    return QStringLiteral("(%1:)").arg(QChar('A' + letterIndex));
}

// The drive's icon when the shell knows the drive; the library's small disk otherwise.
QPixmap DriveIcon(int letterIndex)
{
    QPixmap icon;
    if (letterIndex >= 0 && letterIndex <= 25) {
        const wchar_t path[3] = {static_cast<wchar_t>(L'A' + letterIndex), L':', L'\0'};
        SHFILEINFOW info{};
        if (SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ATTRIBUTES) != 0)
            icon = QFileIconProvider().icon(QFileIconProvider::Drive).pixmap(kIconSize, kIconSize);
    }
    if (icon.isNull())
        icon = ResPicture(QStringLiteral("icon_disk_small.png"));
    return icon;
}

} // namespace

CDiskOptData::CDiskOptData() : QAbstractItemModel(nullptr) {}

CDiskOptData::~CDiskOptData() = default;

void CDiskOptData::LoadVolumes(IDrivelist* lister)
{
    if (!lister || !rows_.empty())
        return;
    uint32_t count = 0;
    if (lister->GetVolumes(nullptr, &count) != 0 || count == 0)
        return;
    std::unique_ptr<_Volume_Info_[]> volumes(new (std::nothrow) _Volume_Info_[count]());
    if (!volumes)
        return;
    // The second call may find fewer volumes than the first (a drive went away in between): only
    // the records it reports are read.
    uint32_t filled = count;
    if (lister->GetVolumes(volumes.get(), &filled) != 0 || filled == 0)
        return;
    beginResetModel();
    for (uint32_t i = 0; i < std::min(filled, count); ++i) {
        auto row = std::make_unique<DiskOptRow>();
        CopyName(row->volumeName, volumes[i].volumeName);
        CopyName(row->label, volumes[i].label);
        row->letterIndex = volumes[i].letterIndex;
        row->fileSystem = volumes[i].fileSystem;
        row->icon = DriveIcon(row->letterIndex);
        rows_.push_back(std::move(row));
    }
    endResetModel();
}

OpResult CDiskOptData::OnStatus(const _Defrag_Status_Info_* status)
{
    if (!status)
        return 0;
    wchar_t volume[DEFRAG_VOLUME_CHARS];
    CopyName(volume, status->volume);
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (platform::EqualsIgnoringCase(std::wstring(rows_[i]->volumeName), std::wstring(volume))) {
            rows_[i]->value = status->value;
            rows_[i]->state = status->state;
            emit ItemChanged(static_cast<int>(i));
            break;
        }
    }
    return 0;
}

DiskOptRow* CDiskOptData::GetRow(int row) const
{
    if (row < 0 || static_cast<size_t>(row) >= rows_.size())
        return nullptr;
    return rows_[static_cast<size_t>(row)].get();
}

OpResult CDiskOptData::DiskOptStatusProc(void* context, const _Defrag_Status_Info_* status)
{
    if (context)
        static_cast<CDiskOptData*>(context)->OnStatus(status);
    return 0;
}

QModelIndex CDiskOptData::index(int row, int column, const QModelIndex&) const
{
    DiskOptRow* item = GetRow(row);
    return item ? createIndex(row, column, item) : QModelIndex();
}

QModelIndex CDiskOptData::parent(const QModelIndex&) const { return QModelIndex(); }

int CDiskOptData::rowCount(const QModelIndex& parent) const
{
    // Rows have no children; answering the row count for them would nest the list in itself.
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CDiskOptData::columnCount(const QModelIndex&) const { return kColumns; }

QString CDiskOptData::StatusText(DiskOptRow& row) const
{
    const auto dots = [&row]() { return QString(row.dotCount++ % 3 + 1, QChar('.')); };
    switch (row.state.load()) {
    case DEFRAG_STATE_ANALYSIS_QUEUED: return tr("Waiting for analyzing...");
    case DEFRAG_STATE_ANALYSING: return tr("Analyzing%1").arg(dots());
    case DEFRAG_STATE_ANALYSED: return tr("Completed (%1% fragmented)").arg(static_cast<qlonglong>(row.value.load()));
    case DEFRAG_STATE_ANALYSIS_FAILED: return tr("Failed to analyze");
    case DEFRAG_STATE_DEFRAG_QUEUED: return tr("Waiting for defragmenting...");
    case DEFRAG_STATE_DEFRAGMENTING: return tr("Defragmenting%1").arg(dots());
    case DEFRAG_STATE_DEFRAGMENTED: return tr("Completed");
    case DEFRAG_STATE_DEFRAG_FAILED: return tr("Failed to defragment");
    default: return QString();
    }
}

QVariant CDiskOptData::data(const QModelIndex& index, int role) const
{
    DiskOptRow* row = index.isValid() ? GetRow(index.row()) : nullptr;
    if (!row)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == 0)
            return QStringLiteral("%1%2").arg(QString::fromWCharArray(row->label), LetterText(row->letterIndex));
        if (index.column() == 1)
            return tr("Hard disk drive");
        return StatusText(*row);
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(row->icon) : QVariant();
    case Qt::ForegroundRole:
        // The list sits on the dark page: the light designs' grey texts become the lists' own.
        return index.column() == 1 ? QColor("#6f788b") : QColor("#c6d6f0");
    case Qt::SizeHintRole:
        return QSize(0, 32);
    case IndentRole:
        return index.column() == 0 ? 20 : 10;
    default:
        return QVariant();
    }
}

QVariant CDiskOptData::headerData(int section, Qt::Orientation, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        switch (section) {
        case 0: return tr("Disk");
        case 1: return tr("Media Type");
        case 2: return tr("Current Status");
        default: return QVariant();
        }
    case Qt::SizeHintRole:
        return QSize(0, 25);
    case IndentRole:
        return section == 0 ? 24 : 12;
    default:
        return QVariant();
    }
}

Qt::ItemFlags CDiskOptData::flags(const QModelIndex&) const
{
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

bool CDiskOptData::setData(const QModelIndex&, const QVariant&, int) { return true; }
