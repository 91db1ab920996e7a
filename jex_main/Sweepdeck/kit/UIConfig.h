// "UIConfigAdd.ini" of the program folder: the clean-up library's look and the stand-alone
// program's file name, in its group "Cleanup", read through the layer's profile calls.
#pragma once

#include <QString>

// The key's text; the fallback when the program folder is unknown, or the file or the key is
// missing.
QString UIConfigText(const wchar_t* key, const QString& fallback);

// The key's value as a whole number; the fallback where it is missing or no number.
int UIConfigNumber(const wchar_t* key, int fallback);
