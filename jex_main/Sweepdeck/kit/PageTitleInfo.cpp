#include "PageTitleInfo.h"

#include "UIConfig.h"

int HeaderFontPixelSize()
{
    constexpr int kDefault = 14;
    const int size = UIConfigNumber(L"titleFontPixcelSize", kDefault);
    return size > 0 ? size : kDefault;
}
