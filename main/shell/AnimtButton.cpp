#include "AnimtButton.h"

CAnimtButton::CAnimtButton(int index, QWidget* parent) : QWidget(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setFixedSize(126, 144);
    tile_ = new _CBtWidget(index, this);
    tile_->setGeometry(0, 4, 126, 140);
    connect(tile_, &_CBtWidget::clicked, this, &CAnimtButton::clicked);
}

void CAnimtButton::SetText(const QString& text)
{
    if (tile_)
        tile_->SetText(text);
}

void CAnimtButton::SetImages(const QStringList& images)
{
    if (tile_)
        tile_->SetImages(images);
}
