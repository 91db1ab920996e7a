// The memory gatherer's factory export: one object per process, a reference added for every
// later caller.
#include "jex_main/memory_gatherer/RamtallyProc.h"

#include "common/KySingleton.h"

extern "C" __attribute__((visibility("default"))) IRamtallyProc* GetImp() { return CKySingleton<CRamtallyProc>::Get(); }
