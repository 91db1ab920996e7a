// The memory gatherer's interface: the shape of the other gatherers, with no work behind it.
#pragma once

#include "common/KyObject.h"
#include "common/OpResult.h"

class IRamtallyProc : public virtual IKyObject {
public:
    virtual OpResult Init() = 0;
    virtual OpResult Uninit() = 0;
    virtual OpResult Gather() = 0;
};
