// Texts from the machine (junk names, paths, application names) shown where Qt may read rich
// text: labels of the message box and tooltips.
#pragma once

#include <QString>

// Rich text that shows the plain text exactly as it is, markup characters included.
QString AsRichText(const QString& plain);
