// A machine with a system drive C: and a data drive D: (Z: a network drive with no size), the
// large-file gatherer loaded through the library's services from the build's program folder, and
// helpers to lay out files and read the usage events.
#pragma once

#include "jex_main/large_file_gatherer/IBulkseek.h"

#include "support/TempMachine.h"

#include <QJsonObject>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace largefile_test {

class LargeFileTest : public testing::Test {
protected:
    void SetUp() override;

    // A file below the machine root ("data/a.bin" is D:\a.bin) of this size, its bytes not written
    // (sparse); its Windows path.
    std::wstring MakeFile(const std::string& relative, uint64_t size);
    // The found files of a gatherer scan of the checked drives, files of at least minimumSize kept.
    void Scan(uint64_t minimumSize);
    // Ticks the drive categories whose display names hold one of the letters' "X:", and unticks
    // the others.
    void CheckDrives(const std::wstring& letters);

    testing_support::TempMachine machine;
    IBulkseek* gatherer = nullptr;
};

// The usage events recorded so far, waiting up to five seconds for at least count of them; an
// event whose line is not a JSON object counts as an empty object.
std::vector<QJsonObject> WaitForEvents(size_t count);
// The events of one window and activity among them.
std::vector<QJsonObject> EventsOf(const std::vector<QJsonObject>& events, const char* window, const char* activity);

} // namespace largefile_test
