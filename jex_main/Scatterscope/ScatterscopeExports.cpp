// The defragmentation plug-in's factory exports: each hands out its controller, made on the first
// call, and the same pointer without an added reference on later calls while it lives. After its
// last Release a later call makes a fresh one instead of handing out freed memory.
#include "jex_main/Scatterscope/AnalysisController.h"
#include "jex_main/Scatterscope/DefragmController.h"

#include <new>

namespace {

template <class TController>
class CProcessController final : public TController {
public:
    static IDefragController* Get()
    {
        if (!instance_)
            instance_ = new (std::nothrow) CProcessController();
        return instance_;
    }

    ~CProcessController() override { instance_ = nullptr; }

private:
    CProcessController() = default;

    static inline CProcessController* instance_ = nullptr;
};

} // namespace

extern "C" __attribute__((visibility("default"))) IDefragController* AnalysisControllerImp()
{
    return CProcessController<CAnalysisController>::Get();
}

extern "C" __attribute__((visibility("default"))) IDefragController* DefragmControllerImp()
{
    return CProcessController<CDefragmController>::Get();
}
