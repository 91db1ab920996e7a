// A machine root of the test's own in a temporary folder, removed again at the end.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

class TempMachine {
public:
    // Makes the folder, points QUARNEL_MACHINE at it and reloads the layer's machine.
    TempMachine();
    ~TempMachine();
    TempMachine(const TempMachine&) = delete;
    TempMachine& operator=(const TempMachine&) = delete;

    const std::string& Root() const { return root_; }

    // Replaces machine.ini with this text and reloads the machine.
    void WriteMachineIni(const std::string& text) const;

    // Writes a file below the root (folders made as needed) and returns its host path.
    std::string WriteFile(const std::string& relative, const std::string& content) const;
    // A junk file on drive C: of the size, old enough for the junk rules; sparse, so that even a
    // large one takes no room. Returns its host path.
    std::string PlantJunk(const std::string& relative, uintmax_t size) const;

    // A fresh program folder below the root, made the layer's program folder.
    std::string UseProgramFolder(const std::string& name = "program") const;

private:
    std::string root_;
    std::string previousRoot_;
    bool hadPrevious_ = false;
    std::string previousTmp_;
    bool hadPreviousTmp_ = false;
};

// The build's program folder (build/bin), where the deliverables and stand-ins are.
std::string BuildProgramFolder();

// Copies a program or library the build made into the layer's program folder (one of the
// machine's own when it is elsewhere) and returns its Windows path: Windows calls take only paths
// of the machine, and a link to the build would lead out of it.
std::wstring InstallFromBuild(const std::string& hostFile);

// Copies the clean-up library, its junk gatherer and their rule files from the build into a
// program folder of the machine, so that a started program finds them and writes nothing into
// the build.
void InstallCleanupLibrary(const std::string& programFolder);

// The whole content of a host file ("" when missing).
std::string ReadFile(const std::string& hostPath);

} // namespace testing_support
