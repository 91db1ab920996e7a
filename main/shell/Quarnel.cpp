#include "Quarnel.h"

#include "FixFrameBase.h"
#include "FixPageId.h"

#include <QVBoxLayout>

CQuarnel::CQuarnel(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    home_ = new CFixFrameBase(PAGE_HOME, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(home_);
}

void CQuarnel::slotTitleBtnClicked(int) {}
