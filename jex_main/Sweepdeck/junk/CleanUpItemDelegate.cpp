#include "CleanUpItemDelegate.h"

#include "BindData.h"
#include "CleanupTreeList.h"
#include "RichText.h"
#include "IDregsweep.h"
#include "kit/ResPicture.h"
#include "kit/UIConfig.h"
#include "services/UIPublic.h"

#include "platform/win/IconPixmap.h"
#include "platform/Windows.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTreeWidgetItem>

namespace {

constexpr int kLineHeight = 32;

// Top-level row states as the gatherer reports them.
enum RowState { NotAnalysed = 0, Analysing = 1, Analysed = 2, JunkLeft = 3, Cleaning = 4, Cleaned = 5 };

QFont LineFont(const QFont& base, const QString& family, int pixelSize, int weight)
{
    QFont font = base;
    font.setFamily(family);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

} // namespace

struct CCleanUpItemDelegate::RowContext {
    QModelIndex index;
    QTreeWidgetItem* item = nullptr;
    bindData record;
    bool hasRecord = false;
    bool topLevel = false;
    int checkState = -1;
    bool hover = false;
};

CCleanUpItemDelegate::CCleanUpItemDelegate(QObject* parent) : QStyledItemDelegate(parent)
{
    junk_rows::RegisterBindData();
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, &CCleanUpItemDelegate::onTimeOut);
    loadingFrames_ = CUIPublic::Instance()->GetLoadingImages();

    fileCountWidth_ = UIConfigNumber(L"colFileCntW", fileCountWidth_);
    sizeWidth_ = UIConfigNumber(L"colFileSizeW", sizeWidth_);
    detailWidth_ = UIConfigNumber(L"colDetailW", detailWidth_);
}

CCleanUpItemDelegate::~CCleanUpItemDelegate() { timer_.stop(); }

int CCleanUpItemDelegate::Wait(CEvtLoop* loop)
{
    frame_ = 0;
    timer_.start();
    return CAsyncObj::Wait(loop);
}

int CCleanUpItemDelegate::Quit(CEvtLoop* loop)
{
    frame_ = 0;
    timer_.stop();
    return CAsyncObj::Quit(loop);
}

void CCleanUpItemDelegate::onTimeOut()
{
    ++frame_;
    if (!loadingFrames_.isEmpty())
        frame_ %= loadingFrames_.size();
    if (tree_)
        tree_->viewport()->update();
}

bool CCleanUpItemDelegate::FindRow(const QStyleOptionViewItem& option, const QModelIndex& index, RowContext& row) const
{
    if (!tree_)
        tree_ = qobject_cast<CCleanupTreeList*>(const_cast<QWidget*>(option.widget));
    row.index = index;
    row.topLevel = !index.parent().isValid();
    const QModelIndex first = index.sibling(index.row(), 0);
    if (row.topLevel) {
        if (!tree_)
            return false;
        if (first.data(junk_rows::kSpacerRole).toInt() == 1)
            return false;
    }
    row.item = tree_ ? tree_->ItemOf(first) : nullptr;
    const QVariant value = first.data(Qt::UserRole);
    row.hasRecord = value.canConvert<bindData>();
    if (row.hasRecord)
        row.record = value.value<bindData>();
    if (row.record.object && row.record.level >= 1 && row.record.level <= 3)
        row.checkState = row.record.object->GetCheckState();
    row.hover = option.state & QStyle::State_MouseOver;
    return true;
}

void CCleanUpItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    RowContext row;
    if (!FindRow(option, index, row))
        return;
    if (!row.hasRecord) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    if (row.topLevel && index.row() == 0)
        cell.rect.setTop(cell.rect.top() + 10);
    painter->save();
    PaintBackground(painter, cell, row);
    painter->restore();
    painter->save();
    PaintCheckAndIcon(painter, cell, row);
    painter->restore();
    painter->save();
    PaintText(painter, cell, row);
    painter->restore();
}

void CCleanUpItemDelegate::PaintBackground(QPainter* painter, QStyleOptionViewItem option, const RowContext& row) const
{
    const int column = row.index.column();
    if (!(row.topLevel && column >= 1)) {
        if (!row.record.object)
            return;
        textStart_ = option.rect.left();
        if (row.record.level == 3 && row.record.kind == 1 && column == 0)
            textStart_ += 10;
        if (row.record.level == 2 && row.record.kind == 1)
            return;
        if (column == 0 && (row.record.level == 3 || (row.record.level == 2 && row.record.kind == 3)))
            textStart_ = option.rect.left() + ResPicture(QStringLiteral("appIcon/icon_Chrome.png")).width() + 12;
    }
    QRect area = option.rect;
    if (column == 0)
        area.setLeft(0);
    painter->setPen(Qt::NoPen);
    painter->setBrush(row.hover ? hoverColour_ : normalColour_);
    painter->drawRect(area);
    if (row.hover)
        painter->fillRect(QRect(area.left(), area.bottom() - 1, area.width(), 2), QColor(27, 225, 208, 25));
}

void CCleanUpItemDelegate::PaintCheckAndIcon(QPainter* painter, QStyleOptionViewItem option, const RowContext& row) const
{
    if (row.index.column() != 0 || !row.record.object)
        return;
    const QRect cell = option.rect;
    const QPixmap box = ResPicture(row.checkState == Qt::Checked ? QStringLiteral("checkbox_sel.png")
                                   : row.checkState == Qt::PartiallyChecked ? QStringLiteral("checkbox_halfsel.png")
                                                                             : QStringLiteral("checkbox.png"));
    if (row.record.kind == 1 && !row.topLevel)
        textStart_ -= box.width();
    const QPoint boxAt(textStart_, cell.top() + (cell.height() - box.height()) / 2);
    int iconLeft = boxAt.x() + box.width() + 10;
    if (row.record.level == 2 && row.record.kind == 1) {
        const int appWidth = ResPicture(QStringLiteral("appIcon/icon_app.png")).width();
        textStart_ += appWidth + 10;
        iconLeft += appWidth - box.width();
    } else {
        if (row.item)
            row.item->setData(0, junk_rows::kHitRectRole, QRect(boxAt, box.size()).adjusted(-2, -2, 2, 2));
        painter->drawPixmap(boxAt, box);
        textStart_ += box.width();
    }
    textStart_ += 10;

    QPixmap icon;
    const GarbageCatagoryInfo* info = row.record.level <= 2 ? row.record.object->GetName() : nullptr;
    if (row.record.level == 1 && info && !info->icon.empty()) {
        const QString name = QString::fromStdWString(info->icon);
        icon = ResPicture(QStringLiteral("appIcon/") + (row.hover ? QStringLiteral("hover_") + name : name));
    } else if (row.record.level == 2) {
        if (HICON handle = row.record.object->GetIcon())
            icon = qt_pixmapFromWinHICON(handle).scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (icon.isNull() && info && !info->icon.empty())
            icon = ResPicture(QStringLiteral("appIcon/") + QString::fromStdWString(info->icon));
    }
    if (icon.isNull())
        return;
    const QRect iconRect(iconLeft, cell.top(), icon.width(), cell.height());
    const bool open = option.state & QStyle::State_Open;
    QIcon(icon).paint(painter, iconRect, option.decorationAlignment, QIcon::Normal, open ? QIcon::On : QIcon::Off);
    textStart_ = iconLeft + icon.width() + 10;
}

QString CCleanUpItemDelegate::StatusText(IDregsweepCatagory* object, int kind, int workMode)
{
    const int state = object ? object->GetState() : Analysed;
    const auto found = [&] {
        if (!object)
            return tr("Analysis completed.");
        return tr("Found: %1 files (%2)")
            .arg(QString::number(object->GetFileCount()), CUIPublic::FormatSize(object->GetTotalSize()));
    };
    switch (state) {
    case NotAnalysed:
        if (workMode == CCleanupTreeList::Analysing)
            return tr("Wait");
        switch (kind) {
        case 0: return tr("clean junk files on the system");
        case 1: return tr("clean junk files generated when browsing the web");
        case 2: return tr("clean junk files produced by Windows built-in applications");
        case 3: return tr("clean application junk files");
        default: return {};
        }
    case Analysing: return tr("Analyzing...");
    case Analysed: return found();
    case JunkLeft:
        if (workMode == CCleanupTreeList::Idle)
            return tr("Uncleaned:%1(%2)")
                .arg(QString::number(object->GetFileCount()), CUIPublic::FormatSize(object->GetTotalSize()));
        return tr("Wait");
    case Cleaning: return tr("Cleaning...");
    case Cleaned: return tr("Cleaning completed.");
    default: return {};
    }
}

QString CCleanUpItemDelegate::ColumnText(IDregsweepCatagory* object, int column, int workMode)
{
    const quint64 count = object->GetFileCount();
    switch (column) {
    case 1: return count ? tr("%1 file(s)").arg(count) : tr("Not found");
    case 2: return count ? CUIPublic::FormatSize(object->GetTotalSize()) : QString();
    case 3: return workMode == CCleanupTreeList::Idle && count >= 1 ? tr("Details") : QString();
    default: return {};
    }
}

void CCleanUpItemDelegate::PaintGroupIcon(QPainter* painter, const QStyleOptionViewItem& option, const RowContext& row) const
{
    const int state = row.record.object ? row.record.object->GetState() : -1;
    QPixmap icon = ResPicture(row.hover ? QStringLiteral("ico_unfold_hover.png") : QStringLiteral("ico_unfold_nomal.png"));
    if ((state == Analysing || state == Cleaning) && !loadingFrames_.isEmpty()) {
        icon = LoadPicture(loadingFrames_.value(frame_));
    } else if (tree_->GetWorkMode() == CCleanupTreeList::Idle) {
        if (row.item && row.item->isExpanded())
            icon = ResPicture(row.hover ? QStringLiteral("ico_packup_hover.png") : QStringLiteral("ico_packup_nomal.png"));
    } else if (state == Analysed || state == Cleaned) {
        icon = ResPicture(QStringLiteral("icon_check.png"));
    }
    const QRect cell = option.rect;
    painter->drawPixmap(cell.right() - 15 - icon.width(), cell.top() + (cell.height() - icon.height()) / 2, icon);
}

void CCleanUpItemDelegate::ForgetLink(const RowContext& row) const
{
    // A link that is not drawn must not be clicked: the rectangle of an earlier paint goes.
    if (row.index.column() == 3 && row.item && row.item->data(3, junk_rows::kHitRectRole).toRect().isValid())
        row.item->setData(3, junk_rows::kHitRectRole, QVariant());
}

void CCleanUpItemDelegate::PaintText(QPainter* painter, QStyleOptionViewItem option, const RowContext& row) const
{
    if (!tree_)
        return;
    const int column = row.index.column();
    if (row.topLevel && column == 3) {
        PaintGroupIcon(painter, option, row);
        return;
    }
    if (column >= 1 && row.checkState != Qt::Checked) {
        ForgetLink(row);
        return;
    }
    const bool enabled = row.item ? !row.item->isDisabled() : true;
    const bool emphasised = row.topLevel || !enabled;
    QString text = row.index.data(Qt::DisplayRole).toString();
    bool link = false;
    if (column >= 1 && !row.topLevel && enabled && tree_->IsAnalysed() && row.record.object) {
        text = ColumnText(row.record.object, column, tree_->GetWorkMode());
        link = column == 3 && !text.isEmpty();
    }
    if (!link)
        ForgetLink(row);

    const QString family = tr("segoe UI");
    QFont font = LineFont(option.font, family, 14, emphasised ? 63 : 50);
    if (link && row.hover)
        font.setUnderline(true);
    painter->setFont(font);
    painter->setPen(link ? QColor("#1be1d0") : emphasised ? QColor("#c6d6f0") : QColor("#8f9ab3"));
    const QRect cell = option.rect;
    const QRect line(textStart_, cell.top(), qMax(0, cell.right() + 1 - textStart_), kLineHeight);
    const QFontMetrics metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, line.width());

    if (link) {
        const int width = metrics.horizontalAdvance(text);
        const QRect hit(cell.right() + 1 - 15 - width, line.top(), width, line.height());
        if (row.item)
            row.item->setData(3, junk_rows::kHitRectRole, hit);
        painter->drawText(hit, Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    painter->drawText(line, static_cast<int>(option.displayAlignment), shown);
    QString toolTip = column == 0 && shown != text ? text : QString();
    if (emphasised && column >= 1)
        return;

    const QString status = row.topLevel ? StatusText(row.record.object, row.record.kind, tree_->GetWorkMode()) : QString();
    if (!status.isEmpty()) {
        const QFont small = LineFont(option.font, family, 12, 50);
        painter->setFont(small);
        painter->setPen(QColor("#6f788b"));
        const int hintWidth = sizeHint(option, row.index).width();
        const QRect second(textStart_, line.bottom() + 1, qMax(0, qMin(hintWidth, cell.right() + 1 - textStart_)), kLineHeight);
        const QString shownStatus = QFontMetrics(small).elidedText(status, Qt::ElideRight, second.width());
        painter->drawText(second, Qt::AlignLeft | Qt::AlignTop, shownStatus);
        if (column == 0 && shownStatus != status)
            toolTip = status;
    }
    // Set only on a change: every change repaints the row, and so paints again.
    if (column == 0 && row.item) {
        const QString richTip = toolTip.isEmpty() ? QString() : AsRichText(toolTip);
        if (row.item->toolTip(0) != richTip)
            row.item->setToolTip(0, richTip);
    }
}

QSize CCleanUpItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (!tree_)
        tree_ = qobject_cast<CCleanupTreeList*>(const_cast<QWidget*>(option.widget));
    const int column = index.column();
    const int widths[] = {0, fileCountWidth_, sizeWidth_, detailWidth_};
    int width = 400;
    if (column >= 1 && column <= 3) {
        width = widths[column];
    } else if (tree_) {
        width = tree_->width() - fileCountWidth_ - sizeWidth_ - detailWidth_ -
                tree_->verticalScrollBar()->sizeHint().width();
    }
    if (tree_ && tree_->header()->sectionSize(column) != width)
        tree_->header()->resizeSection(column, width);
    size.setWidth(width);

    if (index.data(Qt::DisplayRole).toString().isEmpty() && index.sibling(index.row(), 0).data(junk_rows::kSpacerRole).toInt() == 1)
        size.setHeight(6);
    else if (index.parent().isValid())
        size.setHeight(kLineHeight);
    else
        size.setHeight(index.row() == 0 ? 64 : 54);
    return size;
}
