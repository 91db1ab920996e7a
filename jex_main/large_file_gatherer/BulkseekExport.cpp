// The plug-in's factory export: one gatherer per process, a reference for each caller.
#include "Bulkseek.h"

#include "common/KySingleton.h"

extern "C" IBulkseek* GetImp() { return CKySingleton<CBulkseek>::Get(); }
