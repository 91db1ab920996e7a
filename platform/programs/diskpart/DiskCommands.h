// The disk commands of the stand-in diskpart on the machine's disks (machine.ini [Disk n]).
#pragma once

#include <string>
#include <vector>

namespace diskpart {

// How a command ended: its exit code for the script (0 when it worked).
constexpr int DONE = 0;
constexpr int BAD_ARGUMENTS = 2;
constexpr int SERVICE_FAILED = 4;
constexpr int SYNTAX_ERROR = 5;

class DiskSession {
public:
    // "list disk": the disks with the selected one starred.
    int ListDisks() const;
    // "select disk <n>".
    int SelectDisk(const std::wstring& number);
    // "attributes disk" with no further words shows the read-only state; "SET READONLY" and
    // "CLEAR READONLY" (words in upper case) change it in machine.ini.
    int DiskAttributes(const std::vector<std::wstring>& words);

private:
    int ChangeReadOnly(bool readOnly) const;

    int selected_ = -1;
};

} // namespace diskpart
