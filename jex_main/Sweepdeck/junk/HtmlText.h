// The rich-text wrapper of the clean-up pages' header texts. The text is inserted as it is, so
// that wrapped pieces can be nested; plain text from the machine is escaped by the caller first.
#pragma once

#include <QString>

QString HtmlText(const QString& text, const QString& colour, int pixelSize, int weight);
