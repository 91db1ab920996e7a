// The defragmentation controller: defragments a volume.
#pragma once

#include "jex_main/Scatterscope/ControllerFront.h"

class CDefragmController : public CControllerFront {
public:
    CDefragmController();
    ~CDefragmController() override;

protected:
    OpResult Run(const wchar_t* volume, CWorkerSlot* slot) override;
};
