// A 64-bit value reported to the usage-statistics library.
#pragma once

#include <QtGlobal>

// The library's result, or 1 when the library or its entry point is missing.
int SpySetValueEx(int valueId, quint64 value);
