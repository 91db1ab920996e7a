#include "ToolPages.h"

#include "FixPageId.h"

#include "LetterPage.h"
#include "LoginWidget.h"

QWidget* CreateToolPage(int pageType, QWidget* frame)
{
    switch (pageType) {
    case PAGE_LOGIN:
        return new CLoginWidget(PAGE_LOGIN, frame);
    case PAGE_LETTER:
        return new CLetterPage(frame);
    default:
        return nullptr;
    }
}
