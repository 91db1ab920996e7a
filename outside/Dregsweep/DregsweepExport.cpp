// The component's factory export: one gatherer per process, a reference for each caller.
#include "Dregsweep.h"

#include "common/KySingleton.h"

extern "C" IDregsweep* GetImp() { return CKySingleton<CDregsweep>::Get(); }
