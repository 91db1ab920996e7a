// Drives Bulkseek.so as its host does: loaded by name from the program folder and bound through
// GetImp, on a machine with several kinds of drives, with a sink that records every callback.
#pragma once

#include "jex_main/large_file_gatherer/IBulkseek.h"

#include "support/CalendarTime.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bulkseek_test {

class CRecordingSink : public IBulkseekSink {
public:
    struct ScanFile {
        IBigFileGarbageInfo* item;
        std::wstring path;
        int marker;
        double fraction;
    };
    struct Emptied {
        std::wstring path;
        bool deleted;
        int percent;
        std::wstring failInfo;
    };

    bool OnCatagory(IBigFileCatagory* catagory) override;
    bool OnGarbage(IBigFileGarbageInfo* item) override;
    bool OnProgress(int beginPercent, int endPercent) override;
    bool OnScanFile(IBigFileGarbageInfo* item, std::wstring path, int marker, double fraction) override;
    bool OnSameFile(IBigFileGarbageInfo* item, IBigFileGarbageInfo* firstCopy) override;
    bool OnUnusedEvent(int, int, int) override { return false; }
    bool OnEmptyGarbage(IBigFileGarbageInfo* item, bool deleted, int percent, std::wstring failInfo) override;

    // The answers; each may look at what was recorded so far.
    std::function<bool()> catagoryAnswer = [] { return true; };
    std::function<bool()> progressAnswer = [] { return true; };
    std::function<bool(const std::wstring& path)> fileAnswer = [](const std::wstring&) { return true; };
    std::function<bool()> emptyAnswer = [] { return true; };

    std::vector<IBigFileCatagory*> catagories;
    std::vector<std::pair<int, int>> spans;
    std::vector<ScanFile> scanned;
    std::vector<std::pair<std::wstring, std::wstring>> same;  // the file's and its first copy's paths
    std::vector<IBigFileGarbageInfo*> garbages;
    std::vector<Emptied> emptied;
};

class GathererTest : public testing::Test {
protected:
    // C: the system's drive, D: a fixed data disk, E: a hard disk on USB, F: a card reader, G: an
    // optical drive, R: a write-protected fixed disk, Z: a network drive.
    void SetUp() override;
    void TearDown() override;

    // Initialises the gatherer and checks the drive categories whose letters are given.
    void InitAndCheck(const std::wstring& letters);
    void Check(const std::wstring& letters);
    // Scans the checked categories with these options; the result.
    OpResult Scan(uint64_t minimumSize, bool findSameFiles, CRecordingSink& sink);
    // The found files' paths, in the gatherer's order.
    std::vector<std::wstring> FoundPaths();
    IBigFileGarbageInfo* Found(const std::wstring& path);

    // A file of the machine below the root ("data/a.bin") with this content, or grown to a size
    // with zeros; its Windows path.
    std::wstring MakeFile(const std::string& relative, const std::string& content, uint64_t size = 0);

    // The lines of Quarnel.log that start with the text.
    std::vector<std::wstring> LogLinesWith(const std::wstring& start);

    testing_support::TempMachine machine;
    IBulkseek* (*getImp)() = nullptr;
    IBulkseek* gatherer = nullptr;
};

// A Windows drive path of a host file below the machine root.
std::wstring DrivePath(const std::string& relative);

using testing_support::CalendarTime;

} // namespace bulkseek_test
