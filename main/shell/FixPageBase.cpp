#include "FixPageBase.h"

namespace {

constexpr int kPageWidth = 800;
constexpr int kPageHeight = 472;

} // namespace

CFixPageBase::CFixPageBase(int pageType, QWidget* parent, unsigned radius, bool topLeft, bool topRight,
                           bool bottomLeft, bool bottomRight)
    : CRoundedRectBase(radius, parent, topLeft, topRight, bottomLeft, bottomRight), pageType_(pageType)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(kPageWidth, kPageHeight);
    setBrush(QBrush(Qt::transparent, Qt::SolidPattern));
    showNormal();
}

void CFixPageBase::InitUI()
{
}
