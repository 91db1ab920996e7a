// The stand-in records what it was told in a file of the machine, so that tests and users can see
// when the gatherer started and prepared deletions.
#include "Hanvel.h"

#include "MachineRecord.h"

namespace {

const wchar_t* const CALLS_PATH = L"C:\\ProgramData\\Orvane\\Hanvel\\calls.log";

class CHanvel final : public IHanvel {
public:
    int OnGathererStarted() override { return Record("gatherer started"); }
    int OnDeletionStarting() override { return Record("deletion starting"); }

private:
    static int Record(const char* what) { return AppendMachineLine(CALLS_PATH, LocalTimeText() + " " + what) ? 0 : 1; }
};

} // namespace

extern "C" IHanvel* GetImp()
{
    static CHanvel hanvel;
    return &hanvel;
}
