// The kit tests' program folder, with pictures of their own: each check-box state a plain colour.
#pragma once

#include <QColor>
#include <QString>

namespace kit_test {

const QColor kUncheckedColor(255, 0, 0);
const QColor kPartialColor(0, 255, 0);
const QColor kCheckedColor(0, 0, 255);

// The host folder that serves as the program folder of the whole test process.
QString ProgramFolder();

} // namespace kit_test
