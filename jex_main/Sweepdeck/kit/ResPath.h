// Where the clean-up library's pictures live: beside the program that loaded the library.
#pragma once

#include <QString>

// The Windows path of a picture: the program folder, "\", folder, "\Jex\" and the file name (which
// may hold a subfolder). Nothing is normalised and the file's existence is not checked.
QString GetResPath(const QString& file, const QString& folder);
