// The one object of the memory gatherer: every operation accepts the call and succeeds without
// measuring or changing anything.
#pragma once

#include "jex_main/memory_gatherer/IRamtallyProc.h"

class CRamtallyProc : public IRamtallyProc {
public:
    OpResult Init() override { return RESULT_OK; }
    OpResult Uninit() override { return RESULT_OK; }
    OpResult Gather() override { return RESULT_OK; }
};
