// The start-up block of the installed update description: while "main" of section "block" is not
// 0, a main program that starts idles without a window instead of going on, until the updater
// that set the block ends it.
//
// A kill leaves the block set, and the main program would idle at every start from then on. So
// the updater that sets the block records itself beside it ("owner": its process id; "started":
// when it set the block; "running": the main program's copies that ran before, which do not idle)
// and holds, for as long as it runs, a named mutex whose name carries both. Only the kernel ends
// that hold, whenever the process ends, however it ends: a block whose mutex nobody holds any more
// was left by an owner that has gone.
#pragma once

#include "platform/Windows.h"

#include <string>
#include <vector>

class CStartupBlock {
public:
    enum class State {
        Off,        // "main" is 0 or missing
        Owned,      // set by an updater that still runs
        Abandoned,  // set by an updater that has gone without taking it off
        Unowned,    // set by whoever records no owner (an installer)
    };

    // What the block of the description file (a Windows path) is now.
    static State Inspect(const std::wstring& description);
    // Takes an abandoned block off and ends the copies of the main program that idle on it; a line
    // for the log that says what was done.
    static std::string ClearAbandoned(const std::wstring& description);

    // Sets the block in the description file, with this process as its owner.
    explicit CStartupBlock(std::wstring description);
    // Takes the block off ("main" 0) and ends the main programs that started while it was set:
    // they idle for good.
    ~CStartupBlock();
    CStartupBlock(const CStartupBlock&) = delete;
    CStartupBlock& operator=(const CStartupBlock&) = delete;

    // False when the block could not be written (the last error says why).
    bool IsSet() const { return set_; }
    // Leaves the block set when this goes: the program folder holds what the main program must not
    // start on, and the next install or launch, finding the owner gone, mends it first.
    void Leave() { leave_ = true; }

private:
    std::wstring description_;
    HANDLE owner_ = nullptr;
    bool set_ = false;
    bool leave_ = false;
    std::vector<DWORD> runningBefore_;
};
