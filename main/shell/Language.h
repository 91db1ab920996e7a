// The user interface language (shared with the maker's sibling product) and the font family of
// each text weight in it.
#pragma once

#include <QString>

// Weight indexes of GetLangFontFamily.
enum ELangFontWeight : unsigned {
    FONT_LIGHT = 0,
    FONT_NORMAL = 1,
    FONT_SEMIBOLD = 2,
    FONT_BOLD = 3,
};

// The language name ("English"), read once per run from the registry; an empty stored value is
// read again on every call until it yields a name.
QString GetLanguage();

// The font family for the language and weight from "../res/Common/langind.ini" of the current
// folder, read on every call; "Segoe UI" when it names none.
QString GetLangFontFamily(unsigned weight);
