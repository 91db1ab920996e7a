// The main program's binding of the clean-up library Sweepdeck: its two export objects, each made
// at most once per process and kept for the whole run (the library is never unloaded).
#pragma once

#include "jex_main/Sweepdeck/export/IExportWidget.h"

class QWidget;

// The address of the procedure in the library loaded by name; null, silently, when the library or
// the procedure is not there (the caller leaves its feature off).
void* LoadProcFromLibrary(const wchar_t* library, const char* procedure);

// The export objects, null until made.
IExportWidget* GetSysCleanExport();
IExportWidget* GetLargeFileExport();

// Makes the export object of the clean-up page type (10 system clean-up, 11 large files) with the
// parent, the first time only. Null when it was made before, for another page type, or when the
// library or its export is missing.
IExportWidget* MakeCleanupExport(int pageType, QWidget* parent);
