// The factory export, bound by name by the gatherer's host.
#include "Hivesift.h"

#include "common/KySingleton.h"

extern "C" __attribute__((visibility("default"))) IHivesift* GetImp() { return CKySingleton<CHivesift>::Get(); }
