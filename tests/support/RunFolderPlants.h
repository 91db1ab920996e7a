// What a less-privileged user who owns the machine folder can plant in run/ to steer an elevated
// process out of the machine, and a place of root's alone outside the machine that shows whether
// anything reached out there.
#pragma once

#include "support/TempMachine.h"

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// What a change to a place outside the machine would show: everything of its stat but the times
// of its status and its link count, which links planted in the machine and taken away again change.
std::string DescribedForChanges(const std::string& path);

enum class PlantKind { LinkToOutsideFolder, LinkToOutsideFile, Fifo, HardLinkToOutsideFile };

struct RunPlant {
    const char* what;            // for the test's messages
    PlantKind kind;
    std::vector<std::string> at; // paths below the folder ("" is itself); their folders are made by the user
    std::string folder = "run";  // below the machine root
};

// A machine of its own that belongs to the other user (see OtherUser.h), who planted the plant in
// its run/ (or the folder the plant names), and beside it a folder of root's alone that holds a
// file of root's alone.
class CPlantedRun {
public:
    explicit CPlantedRun(const RunPlant& plant);
    ~CPlantedRun();
    CPlantedRun(const CPlantedRun&) = delete;
    CPlantedRun& operator=(const CPlantedRun&) = delete;

    // Whether everything was planted as asked.
    bool Planted() const { return planted_; }

    // The machine, for a test that describes it further.
    const TempMachine& Machine() const { return machine_; }

    // Runs the calls on this thread; the test fails when they do not end in time (the FIFOs
    // planted are then opened, so that a call waiting in one ends), and when anything outside the
    // machine was opened, made, changed or given away meanwhile.
    void RunCalls(const std::function<void()>& calls) const;

private:
    struct Look {
        std::vector<std::string> names;
        std::string folderStat, fileStat, content;
        bool operator==(const Look& other) const;
    };
    Look LookOutside() const;

    const std::string what_;
    TempMachine machine_;
    std::string outside_;
    std::string secret_;
    std::vector<std::string> fifos_;
    bool planted_ = false;
};

} // namespace testing_support
