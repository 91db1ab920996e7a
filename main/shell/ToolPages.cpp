#include "ToolPages.h"

#include "FixPageId.h"

#include "DelProtectWidget.h"
#include "DisableUpdateWidget.h"
#include "FixUSBWidget.h"
#include "LetterPage.h"
#include "LoginWidget.h"

QWidget* CreateToolPage(int pageType, QWidget* frame)
{
    switch (pageType) {
    case PAGE_WRITE_PROTECTION:
        return new CDelProtectWidget(frame);
    case PAGE_WINDOWS_UPDATE:
        return new CDisableUpdateWidget(frame);
    case PAGE_FILE_SHOWING:
        return new CFixUSBWidget(frame);
    case PAGE_LOGIN:
        return new CLoginWidget(PAGE_LOGIN, frame);
    case PAGE_LETTER:
        return new CLetterPage(frame);
    default:
        return nullptr;
    }
}
