// The volume lister and the two defragmentation controllers. Built as Drivelist and as Scatterscope;
// like the real ones, each factory hands out its one object without adding a reference.
#include "FakeJournal.h"

#include "jex_main/Scatterscope/IDefragController.h"
#include "jex_main/volume_list/IDrivelist.h"
#include "platform/Text.h"

namespace {

template <class TInterface>
class CInitJournal : public CJournaledObject<TInterface> {
public:
    using CJournaledObject<TInterface>::CJournaledObject;

    OpResult Init() override
    {
        Journal(this->name_ + " init");
        return RESULT_OK;
    }
    OpResult Uninit() override
    {
        Journal(this->name_ + " uninit");
        return RESULT_OK;
    }
};

class CFakeDrivelist final : public CInitJournal<IDrivelist> {
public:
    CFakeDrivelist() : CInitJournal("volumes") {}
    OpResult GetVolumes(_Volume_Info_*, uint32_t* count) override
    {
        *count = 0;
        return RESULT_OK;
    }
};

class CFakeController final : public CInitJournal<IDefragController> {
public:
    using CInitJournal::CInitJournal;
    OpResult SetCallback(DefragStatusProc, void*) override { return RESULT_OK; }
    OpResult Start(const wchar_t*) override { return RESULT_OK; }
    OpResult Stop(const wchar_t* volume, bool) override
    {
        Journal(name_ + " stop " + platform::ToUtf8(volume));
        return RESULT_OK;
    }
};

} // namespace

#ifdef FAKE_DRIVELIST
extern "C" IDrivelist* GetImp()
{
    static CFakeDrivelist lister;
    return &lister;
}
#else
extern "C" IDefragController* AnalysisControllerImp()
{
    static CFakeController controller("analysis");
    return &controller;
}

extern "C" IDefragController* DefragmControllerImp()
{
    static CFakeController controller("defrag");
    return &controller;
}
#endif
