// Item-data roles the clean-up lists' models answer and their painting classes read.
#pragma once

#include <Qt>

enum ListRole {
    IndentRole = Qt::UserRole + 1,        // left indent in pixels of a cell or a header section
    ElideRole = Qt::UserRole + 2,         // the Qt::TextElideMode of the cell text
    HoverUnderlineRole = Qt::UserRole + 3 // the cell text is underlined while its row is hovered
};
