#include "CheckBox.h"

#include "KitFont.h"
#include "ResPicture.h"

#include <QPainter>
#include <QPixmap>

namespace {

QString ImageOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::PartiallyChecked:
        return QStringLiteral("checkbox_halfsel.png");
    case Qt::Checked:
        return QStringLiteral("checkbox_sel.png");
    default:
        return QStringLiteral("checkbox.png");
    }
}

} // namespace

CCheckBox::CCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
}

void CCheckBox::paintEvent(QPaintEvent*)
{
    const QPixmap image = ResPicture(ImageOf(checkState()));
    QPainter painter(this);
    painter.drawPixmap(0, (height() - image.height()) / 2, image);
    painter.setFont(KitFont(font(), 12));
    painter.drawText(rect().adjusted(image.width() + 5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                     text());
}
