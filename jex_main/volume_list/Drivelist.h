// The one object of the volume lister.
#pragma once

#include "jex_main/volume_list/IDrivelist.h"

#include <vector>

class CDrivelist : public IDrivelist {
public:
    // The process's object: made on the first call, the same pointer (without an added reference)
    // on later ones while it lives; after its last Release a later call makes a fresh one.
    static CDrivelist* Instance();

    OpResult Init() override;
    OpResult Uninit() override;
    OpResult GetVolumes(_Volume_Info_* volumes, uint32_t* count) override;

private:
    CDrivelist() = default;
    ~CDrivelist() override;

    int32_t initialised_ = 0;
    std::vector<_Volume_Info_> volumes_;
};
