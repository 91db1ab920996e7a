// The machine as an elevated suite meets it: its folder belongs to a less-privileged user (see
// OtherUser.h), and beside it lie a program folder of root's alone (readable by all, as an installed
// product's is) and a folder of root's alone that holds a file of root's alone. Programs started as
// root against this machine take its user's rights at their start; whatever the user plants must
// not lead them to change anything outside the machine or in the program folder.
#pragma once

#include "support/TempMachine.h"

#include <string>
#include <vector>

namespace testing_support {

class CUsersMachine {
public:
    CUsersMachine();
    ~CUsersMachine();
    CUsersMachine(const CUsersMachine&) = delete;
    CUsersMachine& operator=(const CUsersMachine&) = delete;

    const std::string& Root() const { return machine_.Root(); }
    // The layer's program folder from now on; it holds "program.dat", a file of root's.
    const std::string& ProgramFolder() const { return program_; }
    std::string ProgramFile() const { return program_ + "/program.dat"; }
    // The folder outside and its file "secret", root's alone.
    const std::string& Outside() const { return outside_; }
    std::string Secret() const { return outside_ + "/secret"; }

    // Everything of the places outside the machine that a write would change: their names, owners,
    // modes, sizes, times and contents.
    std::string LookOutside() const;

    // Runs a program of the build (tests/bin or the program folder of the build) as root, with this
    // machine and program folder, and waits for it; its exit code (-1 when it did not exit), and
    // what it printed when output is given.
    int RunAsRoot(const std::vector<std::string>& arguments, std::string* output = nullptr) const;

private:
    TempMachine machine_;
    std::string program_;
    std::string outside_;
};

} // namespace testing_support
