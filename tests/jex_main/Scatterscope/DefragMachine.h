// A machine for the defragmentation controllers: drives C: to H:, a Windows version, the stand-in
// defragmenter in the system folders, and a program folder holding spawn and Tallyrun.
#pragma once

#include "jex_main/Scatterscope/IDefragController.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace scatterscope_test {

// Sets the keys of INI text ("[Drive C]\nFragmentation=3\n...") in machine.ini, keeping the others.
void AddMachineKeys(const std::string& lines);

// version as machine.ini writes it ("5.1.2600", "6.0.6002", "6.1.7601"); the extra keys are added
// to machine.ini.
void PrepareMachine(const testing_support::TempMachine& machine, const std::string& version,
                    const std::string& extra = "");

// The volume name of a drive, as the volume lister hands it to the controllers.
std::wstring VolumeOf(wchar_t letter);

// Changes one key of machine.ini while programs may read it: "Drive C", "Defrag", ...
void SetMachineKey(const std::wstring& section, const std::wstring& key, const std::wstring& value);

// The status reports a controller sends, for the tests to wait on.
class StatusLog {
public:
    struct Entry {
        std::wstring volume;
        int32_t state = 0;
        INT_PTR value = 0;
        std::string text;  // state 7: the output text, copied during the call
        DWORD thread = 0;
    };

    static OpResult Callback(void* context, const _Defrag_Status_Info_* status);

    std::vector<Entry> Entries() const;
    size_t Count(const std::wstring& volume, int32_t state) const;
    // The first report of the volume in this state; waits up to the limit for it.
    bool WaitFor(const std::wstring& volume, int32_t state, Entry* entry = nullptr, DWORD timeoutMs = testing_support::kPatience.count()) const;
    // The states reported for the volume, in order.
    std::vector<int32_t> States(const std::wstring& volume) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Entry> entries_;
};

} // namespace scatterscope_test
