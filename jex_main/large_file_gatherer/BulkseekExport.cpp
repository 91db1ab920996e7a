// The plug-in's factory export: one gatherer per process, a reference for each caller.
#include "Bulkseek.h"

#include "common/KySingleton.h"

extern "C" __attribute__((visibility("default"))) IBulkseek* GetImp() { return CKySingleton<CBulkseek>::Get(); }
