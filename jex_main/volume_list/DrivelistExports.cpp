// The volume lister's factory export.
#include "jex_main/volume_list/Drivelist.h"

extern "C" __attribute__((visibility("default"))) IDrivelist* GetImp() { return CDrivelist::Instance(); }
