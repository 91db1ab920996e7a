// The defragmentation controllers' interface: volumes are started and stopped, and every change of
// a volume's state reaches the caller through one status callback.
#pragma once

#include "common/KyObject.h"
#include "common/OpResult.h"

enum DefragState : int32_t {
    DEFRAG_STATE_ANALYSIS_QUEUED = 1,
    DEFRAG_STATE_ANALYSING = 2,
    DEFRAG_STATE_ANALYSED = 3,
    DEFRAG_STATE_ANALYSIS_FAILED = 4,
    DEFRAG_STATE_DEFRAG_QUEUED = 5,
    DEFRAG_STATE_DEFRAGMENTING = 6,
    DEFRAG_STATE_DEFRAGMENTED = 7,
    DEFRAG_STATE_DEFRAG_FAILED = 8,
    DEFRAG_STATE_ANALYSIS_CANCELLED = 9,
    DEFRAG_STATE_DEFRAG_CANCELLED = 10,
};

// Characters of a volume text, its terminator included.
constexpr size_t DEFRAG_VOLUME_CHARS = 64;

// Built on the reporting thread for one report and valid only during the callback.
struct _Defrag_Status_Info_ {
    wchar_t volume[DEFRAG_VOLUME_CHARS]; // the text given to Start or Stop
    int32_t state;                       // a DefragState
    // 0 for queued and running states; the fragmentation percentage when analysed; the low 32 bits
    // of the run's OpResult when failed or cancelled; when defragmented, the address of the
    // defragmenter's output text (8-bit, NUL-terminated), which is why the field is pointer-sized.
    INT_PTR value;
};

// The context is the caller's own pointer, handed back unchanged; the result is ignored.
typedef OpResult (*DefragStatusProc)(void* context, const _Defrag_Status_Info_* status);

class IDefragController : public IKyObject {
public:
    virtual OpResult Init() = 0;
    // Cancels and ends all work; volumes still queued vanish without a report.
    virtual OpResult Uninit() = 0;
    virtual OpResult SetCallback(DefragStatusProc callback, void* context) = 0;
    virtual OpResult Start(const wchar_t* volume) = 0;
    // With wait, returns only after the worker running the volume has sent its final state.
    virtual OpResult Stop(const wchar_t* volume, bool wait) = 0;
};
