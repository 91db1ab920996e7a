// The analysis controller: measures how fragmented a volume is.
#pragma once

#include "jex_main/Scatterscope/ControllerFront.h"

class CAnalysisController : public CControllerFront {
public:
    CAnalysisController();
    ~CAnalysisController() override;

protected:
    OpResult Run(const wchar_t* volume, CWorkerSlot* slot) override;
};
