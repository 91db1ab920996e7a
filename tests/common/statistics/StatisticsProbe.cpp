// A module that reports through the usage-statistics binding, so that a test can place it in a
// folder other than the program's.
#include "common/TallyrunBinding.h"

extern "C" int ProbeSetInfoData() { return Tallyrun_SetInfoData(L"Probe_Event", 1, 2, 3, true, L"Probe"); }
