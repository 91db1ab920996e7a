// The duplicate finders the gatherer is measured against, run on a folder as separate programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ToolRun {
    double seconds = 0;
    // Files reported equal to an earlier one (each set counts its files but one); -1 when the
    // tool could not be run.
    long long duplicates = -1;
};

struct DuplicateTool {
    std::string name;
    // The program's arguments for a folder, files from minimumSize bytes up, writing its report
    // to the report file (or to its standard output, which goes there).
    std::vector<std::string> (*arguments)(const std::string& folder, uint64_t minimumSize, const std::string& report);
    bool reportOnStandardOutput;
    long long (*countDuplicates)(const std::string& report);
};

std::vector<DuplicateTool> DuplicateTools();

// find listing every file's size ("find TREE -type f -printf '%s\n'"): the least a scan of a tree
// does, as a program of the host does it. Its count is the files listed.
DuplicateTool FileLister();

ToolRun RunTool(const DuplicateTool& tool, const std::string& folder, uint64_t minimumSize, const std::string& scratch);
