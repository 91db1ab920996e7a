#include "ListStyle.h"

#include "ListHeaderView.h"
#include "ListRoles.h"

#include "kit/KitFont.h"
#include "kit/ResPicture.h"

#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTreeView>

namespace {

const QColor kHoverFill(27, 225, 208, 15);
const QColor kHoverLine(27, 225, 208, 25);
// The hover tint made strong enough to tell the chosen row from the others at a glance.
const QColor kSelectedFill(27, 225, 208, 64);
const QColor kRowFill("#20242f");
const QColor kRowLine("#272d3b");
constexpr int kCellTextSize = 14;

} // namespace

CListStyle::CListStyle(RowChoice choice)
    : uncheckedPixmap(ResPicture(QStringLiteral("checkbox.png"))),
      checkedPixmap(ResPicture(QStringLiteral("checkbox_sel.png"))),
      partialPixmap(ResPicture(QStringLiteral("checkbox_halfsel.png"))),
      choice(choice)
{
}

void CListStyle::polish(QPalette&) {}

void CListStyle::polish(QWidget* widget) { QProxyStyle::polish(widget); }

void CListStyle::unpolish(QWidget* widget) { QProxyStyle::unpolish(widget); }

void CListStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget*) const
{
    // Focus frames are not drawn, nor the selection where a row's check box shows what is chosen.
    if (element == PE_PanelItemViewItem)
        DrawRowPanel(option, painter);
}

void CListStyle::DrawRowPanel(const QStyleOption* option, QPainter* painter) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
    if (!item || item->version < 4)
        return;
    const QRect& rect = item->rect;
    painter->save();
    painter->setPen(Qt::NoPen);
    const bool hovered = item->state & State_MouseOver;
    const bool selected = choice == RowChoice::BySelection && (item->state & State_Selected);
    painter->setBrush(selected ? kSelectedFill : hovered ? kHoverFill : kRowFill);
    painter->drawRect(rect);
    painter->setPen(hovered || selected ? QPen(kHoverLine, 2) : QPen(kRowLine, 1));
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->restore();
}

void CListStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const
{
    if (element == CE_ItemViewItem && DrawItemViewItem(option, painter, widget))
        return;
    QProxyStyle::drawControl(element, option, painter, widget);
}

bool CListStyle::DrawItemViewItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
    if (!item)
        return false;
    QStyleOptionViewItem opt(*item);
    opt.state &= ~State_HasFocus;
    drawPrimitive(PE_PanelItemViewItem, &opt, painter, widget);
    const QPalette palette = opt.palette;
    const QModelIndex& index = opt.index;
    if (index.isValid()) {
        const QVariant indent = index.data(IndentRole);
        if (indent.isValid())
            opt.rect.setLeft(opt.rect.left() + indent.toInt());
    }

    if (opt.features & QStyleOptionViewItem::HasCheckIndicator) {
        painter->save();
        const QRect box = proxy()->subElementRect(SE_ItemViewItemCheckIndicator, &opt, widget);
        const QPixmap& pixmap = opt.checkState == Qt::Checked            ? checkedPixmap
                                : opt.checkState == Qt::PartiallyChecked ? partialPixmap
                                                                         : uncheckedPixmap;
        painter->drawPixmap(box.left() + (box.width() - pixmap.width() + 1) / 2,
                            box.top() + (box.height() - pixmap.height() + 1) / 2, pixmap);
        painter->restore();
    }

    if (opt.features & QStyleOptionViewItem::HasDecoration) {
        painter->save();
        const QRect iconRect = proxy()->subElementRect(SE_ItemViewItemDecoration, &opt, widget);
        opt.icon.paint(painter, iconRect, opt.decorationAlignment, QIcon::Normal, QIcon::Off);
        painter->restore();
    }

    if (opt.features & QStyleOptionViewItem::HasDisplay) {
        painter->save();
        QRect textRect = proxy()->subElementRect(SE_ItemViewItemText, &opt, widget);
        textRect.adjust(2, 0, -2, 0);
        Qt::TextElideMode elide = opt.textElideMode;
        const QVariant elideData = index.data(ElideRole);
        if (elideData.isValid())
            elide = static_cast<Qt::TextElideMode>(elideData.toInt());
        QFont font = painter->font();
        const QVariant underline = index.data(HoverUnderlineRole);
        if ((opt.state & State_MouseOver) && underline.isValid() && underline.toBool())
            font.setUnderline(true);
        font.setPixelSize(kCellTextSize);
        painter->setFont(font);
        // Measured with the font it is drawn in, so that an elided text ends inside its cell.
        const QString text = QFontMetrics(font).elidedText(opt.text, elide, textRect.width());
        drawItemText(painter, textRect, QStyle::visualAlignment(opt.direction, opt.displayAlignment), palette,
                     opt.state & State_Enabled, text, QPalette::Text);
        painter->restore();
    }
    return true;
}

void CListStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                    const QWidget* widget) const
{
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

int CListStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void ApplyCleanupListLook(QTreeView* view, RowChoice choice)
{
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setFrameStyle(0);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(false);
    view->setHeader(new CListHeaderView);
    auto* listStyle = new CListStyle(choice);
    listStyle->setParent(view);
    view->setStyle(listStyle);
    view->setFont(KitFont(view->font(), 12));
    QPalette dark = view->palette();
    dark.setColor(QPalette::Base, kRowFill);
    dark.setColor(QPalette::Window, kRowFill);
    view->setPalette(dark);
}
