#include "DiskWidget.h"

#include "ToolTipText.h"

#include "kit/KitFont.h"
#include "kit/ResPicture.h"
#include "services/UIPublic.h"

#include <QHelpEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kCheckableWidth = 260;
constexpr int kPlainWidth = 230;
constexpr int kHeight = 60;
constexpr int kIconLimit = 48;
constexpr int kRedFromPercent = 81;

// Loaded once and kept for the rest of the process.
const QPixmap& CheckPixmap(bool selected)
{
    static const QPixmap* const unchecked = new QPixmap(ResPicture(QStringLiteral("checkbox.png")));
    static const QPixmap* const checked = new QPixmap(ResPicture(QStringLiteral("checkbox_sel.png")));
    return selected ? *checked : *unchecked;
}

QString IconName(int type)
{
    switch (type) {
    case 3:
    case 5: return QStringLiteral("icon_disk.png");
    case 4: return QStringLiteral("icon_system.png");
    case 6: return QStringLiteral("network_mapping.png");
    default: return QString();
    }
}

// Used bytes as a share of the total, 0 to 100: a drive may report more used than its total while
// it changes under the query.
int UsedShare(uint64_t used, uint64_t total)
{
    return used >= total ? 100 : static_cast<int>(used * 100 / total);
}

} // namespace

CDiskWidget::CDiskWidget(bool isCheckable) : checkable(isCheckable)
{
    setFixedHeight(kHeight);
    setFixedWidth(checkable ? kCheckableWidth : kPlainWidth);
    setMouseTracking(true);
    setFont(KitFont(font(), 12));
}

void CDiskWidget::SetCatagory(IBigFileCatagory* next)
{
    // The new reference is taken before the old one goes, so the same category given again survives.
    if (next)
        next->AddRef();
    catagory.Attach(next);
    UpdateInfo();
}

void CDiskWidget::UpdateInfo()
{
    IBigFileCatagory* current = catagory.Get();
    if (!current)
        return;
    current->Refresh();
    const _BigFileItem_Info_* info = current->GetInfo();
    if (!info)
        return;
    name = QString::fromStdWString(info->displayName);
    const uint64_t used = std::min(info->usedBytes, info->totalBytes);
    freeText = tr("%1 free of %2").arg(CUIPublic::FormatSize(info->totalBytes - used), CUIPublic::FormatSize(info->totalBytes));
    type = info->type;
    checked = current->GetCheckState() != 0;
    if (icon.isNull()) {
        const QString iconName = IconName(type);
        if (!iconName.isEmpty())
            icon = ResPicture(iconName);
    }
    if (info->totalBytes != 0)
        usedPercent = UsedShare(info->usedBytes, info->totalBytes);
    update();
}

void CDiskWidget::mousePressEvent(QMouseEvent* event)
{
    IBigFileCatagory* current = catagory.Get();
    if (!checkable || !current)
        return;
    current->ChangeCheckState();
    checked = current->GetCheckState() != 0;
    emit SelCchanged();
    QWidget::mousePressEvent(event);
    update();
}

bool CDiskWidget::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QPoint at = help->pos();
    if (at.x() > nameRect.left() && at.x() < nameRect.right() && at.y() > nameRect.top() && at.y() < nameRect.bottom())
        QToolTip::showText(help->globalPos(), ToolTipText(name));
    else
        QToolTip::hideText();
    return true;
}

void CDiskWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.fillRect(rect(), QColor("#20242f"));

    int x = 6;
    const int innerWidth = width() - 12;
    const int innerHeight = height() - 2;
    if (checkable) {
        const QPixmap& box = CheckPixmap(checked);
        const QSize boxSize = CheckPixmap(true).size();
        const int top = std::max(1, (innerHeight - boxSize.height() + 1) / 2);
        painter.drawPixmap(QRect(QPoint(x, top + 1), boxSize), box);
        x += boxSize.width() + 12;
    }
    if (!icon.isNull()) {
        QSize iconSize = icon.size();
        if (iconSize.width() > kIconLimit || iconSize.height() > kIconLimit)
            iconSize = QSize(kIconLimit, kIconLimit);
        const int top = std::max(1, (innerHeight - iconSize.height() + 1) / 2);
        painter.drawPixmap(QRect(QPoint(x, top + 1), iconSize), icon);
        x += iconSize.width() + 12;
    }

    const int textWidth = std::max(0, innerWidth - x - 1);
    QFont nameFont = KitFont(font(), 14);
    painter.setFont(nameFont);
    const QFontMetrics nameMetrics(nameFont);
    const int lineHeight = nameMetrics.height();
    int y = std::max(1, (innerHeight - 2 * lineHeight - 15) / 2);
    const QString shownName = nameMetrics.elidedText(name, Qt::ElideMiddle, textWidth);
    painter.setPen(QColor("#c6d6f0"));
    painter.drawText(QRect(x, y, textWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, shownName);
    nameRect = QRect(x, y, nameMetrics.horizontalAdvance(shownName), lineHeight);
    y += lineHeight + 4;

    QPainterPath track;
    track.addRoundedRect(QRectF(x, y, textWidth, 4), 2, 2);
    painter.setPen(Qt::NoPen);
    painter.fillPath(track, QColor("#1b1f28"));
    const int filled = textWidth * std::clamp(usedPercent, 0, 100) / 100;
    if (filled > 0) {
        QLinearGradient gradient(x, 0, x + filled, 0);
        const bool full = usedPercent >= kRedFromPercent;
        gradient.setColorAt(0, QColor(full ? "#fd445b" : "#71d01c"));
        gradient.setColorAt(1, QColor(full ? "#fd8f38" : "#badd20"));
        QPainterPath bar;
        bar.addRoundedRect(QRectF(x, y, filled, 4), 2, 2);
        painter.fillPath(bar, gradient);
    }
    y += 12;

    const QFont freeFont = KitFont(font(), 12);
    painter.setFont(freeFont);
    painter.setPen(QColor("#6f788b"));
    painter.drawText(QRect(x, y, textWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(freeFont).elidedText(freeText, Qt::ElideMiddle, textWidth));
}
