#include "Paneforge/BPLabel.h"

CBPLabel::CBPLabel(const QString& text, const QColor& color, int size, QWidget* parent) : QLabel(text, parent)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    setPalette(palette);
    if (size > 0) {
        QFont font = this->font();
        font.setPixelSize(size);
        setFont(font);
    }
}
