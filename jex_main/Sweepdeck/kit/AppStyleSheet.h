// The product's application style sheet, "res\StyleSheet.css" in the program folder, which the
// main program applies too: the stand-alone window takes the same look for the Qt widgets that the
// kit does not paint itself (scroll bars among them).
#pragma once

#include <QString>

// The sheet's text from the program folder (a Windows path); empty when the folder is unknown or
// the file is missing, unreadable or larger than a style sheet may be.
QString ReadAppStyleSheet(const QString& programFolder);
