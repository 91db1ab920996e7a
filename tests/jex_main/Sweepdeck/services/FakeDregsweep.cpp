// A junk gatherer whose Init succeeds only when the rule file exists, like the real one's.
#include "FakeJournal.h"

#include "jex_main/Sweepdeck/IDregsweep.h"
#include "platform/Text.h"

namespace {

class CFakeDregsweep final : public CJournaledObject<IDregsweep> {
public:
    CFakeDregsweep() : CJournaledObject("junk") {}

    void ResetStatistic() override {}
    uint64_t GetTotalSize() override { return 0; }
    uint64_t GetCheckedSize() override { return 0; }
    int GetState() override { return 0; }
    uint64_t GetFileCount() override { return 0; }
    int GetCatagoryCount() override { return 0; }
    IDregsweepCatagory* GetFirstCatagory() override { return nullptr; }
    IDregsweepCatagory* GetNextCatagory(IDregsweepCatagory*) override { return nullptr; }
    OpResult Init(const wchar_t* configPath, const wchar_t* textPath) override
    {
        Journal("junk init " + platform::ToUtf8(configPath) + " " + platform::ToUtf8(textPath));
        return GetFileAttributesW(configPath) == INVALID_FILE_ATTRIBUTES ? MakeResult(1, RESULT_SYSTEM_CALL)
                                                                         : RESULT_OK;
    }
    OpResult Uninit() override
    {
        Journal("junk uninit");
        return RESULT_OK;
    }
    bool IsBusy() override { return false; }
    OpResult CollectGarbage(IDregsweepSink*) override { return RESULT_OK; }
    OpResult EmptyGarbage(IDregsweepSink*) override { return RESULT_OK; }
    void Reset() override {}
};

} // namespace

// As the gatherers' factories: one object, a reference for every caller.
extern "C" IDregsweep* GetImp()
{
    static CFakeDregsweep gatherer;
    static bool handedOut = false;
    if (handedOut)
        gatherer.AddRef();
    handedOut = true;
    return &gatherer;
}
