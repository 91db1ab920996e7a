// The record of an install's placings, kept in its staging folder, from which the next run undoes
// an install that was cut short, before it removes the folder. Each placing is written down, and
// onto the disk, before the rename that makes it: the file placed (its volume and file index, which
// a rename keeps), whether the file it replaces was kept in the staging folder, and its place below
// the program folder. A last line says that the install is complete: then nothing is undone.
#pragma once

#include "common/HeldFolder.h"

#include <cstdint>
#include <string>
#include <vector>

class CInstallJournal {
public:
    struct Step {
        DWORD volume = 0;
        uint64_t fileIndex = 0;
        bool kept = false;                // the replaced file waits at the same place below the kept folder
        std::vector<std::wstring> place;  // the folders below the program folder, then the file's name
    };
    enum class Reading {
        Missing,     // no journal: nothing was placed
        Complete,
        Incomplete,  // cut short: its steps are to be undone
        Damaged,
    };

    // Starts the journal of the staging folder, which has none yet.
    explicit CInstallJournal(const CHeldFolder& staging);
    ~CInstallJournal();
    CInstallJournal(const CInstallJournal&) = delete;
    CInstallJournal& operator=(const CInstallJournal&) = delete;

    // False when the journal could not be made (Error() says why).
    bool IsOpen() const { return file_ != nullptr; }
    DWORD Error() const { return error_; }

    // Each is on the disk when it returns true; false with the Windows error set.
    bool Write(const Step& step);
    bool Complete();

    // The steps of the staging folder's journal, in their order.
    static Reading Read(const CHeldFolder& staging, std::vector<Step>& steps);

private:
    bool Append(const std::string& line);

    HANDLE file_ = nullptr;
    DWORD error_ = ERROR_SUCCESS;
};
