// The Update library beside Renewer, loaded by name once and never freed; its factories bound by
// name, as the main program binds them.
#pragma once

#include "common/OpResult.h"

#include <string>

class IUnzipFile;
class IUpdateFixt;

// The process's one update fetcher, built on first use and kept for the life of the process, as
// the library asks of whoever builds one (it has no release); null when the library or its export
// is missing.
IUpdateFixt* UpdateFetcher();
// A new extractor the caller releases, or null when the library or its export is missing.
IUnzipFile* CreateExtractor();

// A result of the library as the log shows it ("0x...").
std::string ResultText(OpResult result);
