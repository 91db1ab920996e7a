// What a page's header shows, and the layout record every page carries. Pages start from a
// default record and set only the fields they need.
#pragma once

#include <QColor>
#include <QMargins>
#include <QString>

// The header's title font size: 14 pixels unless "UIConfigAdd.ini" in the program folder sets a
// positive whole number as "titleFontPixcelSize" of its group "Cleanup".
int HeaderFontPixelSize();

struct PageTitleInfo {
    int height = 120;
    QMargins margins{0, 0, 0, 0};
    QColor background{"#1c202a"};
    QColor secondColor{Qt::transparent};
    int progress = 0; // the header's progress bar shows only while this is above 0
    QColor thirdColor{126, 206, 142, 255};
    QColor fourthColor{229, 229, 229, 255};
    QString iconPath;    // Windows path of the machine, as GetResPath gives it; empty: no icon
    QString title;       // may be rich text
    QString description; // may be rich text; empty: hidden
    int titleFontPixelSize = HeaderFontPixelSize();
};

struct PageInfo {
    PageTitleInfo titleInfo;
    QMargins contentMargins{20, 20, 20, 20};
};
