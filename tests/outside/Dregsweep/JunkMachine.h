// A machine with junk planted where a small rule set of the tests' own looks for it, in the
// logged-on user's profile, with the same kinds of files in another user's profile and in the shared
// ones, which the gatherer must pass by, and files beside the junk that must stay: younger files, a
// link out of the junk folder and what it points to, files outside.
#pragma once

#include "jex_main/Sweepdeck/IDregsweep.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace dregsweep_test {

class CRecordingSink : public IDregsweepSink {
public:
    struct Report {
        std::wstring name;
        uint64_t size;
        IDregsweepCatagory* category;
    };

    bool OnScanProgress(int percent, int) override;
    bool OnGarbageFound(std::wstring name, uint64_t size, IDregsweepCatagory* category) override;
    bool OnCloseProcess(std::wstring appName, const DWORD* processIds, int) override;
    bool OnGarbageCleaned(std::wstring name, uint64_t size, IDregsweepCatagory* category) override;

    std::function<bool()> progressAnswer = [] { return true; };
    std::function<bool()> foundAnswer = [] { return true; };
    std::function<bool(const std::wstring&)> closeAnswer = [](const std::wstring&) { return false; };
    std::function<bool()> cleanedAnswer = [] { return true; };

    std::vector<int> percents;
    std::vector<Report> found;
    std::vector<std::pair<std::wstring, std::vector<DWORD>>> closeQuestions;
    std::vector<Report> cleaned;
};

class CFileList : public IGarbageFileSink {
public:
    void OnGarbageFile(std::wstring path, uint64_t size, int) override { files.emplace_back(path, size); }
    std::vector<std::pair<std::wstring, uint64_t>> files;
};

// The tests' rule set: "System junk" (kind 0) with temporary files (a day old) and Windows logs;
// "Browsers" (kind 1) with one browser's cache in every profile of that browser.
extern const char kRules[];
extern const char kTexts[];

class JunkMachine : public testing::Test {
protected:
    void SetUp() override;

    // Writes the rule file and text table to C:\rules and returns the rule file's Windows path.
    void WriteRules(const std::string& rules, const std::string& texts = kTexts);
    std::wstring RulePath() const { return L"C:\\rules\\Config.xml"; }
    std::wstring TextPath() const { return L"C:\\rules\\ResIDText.xml"; }

    // A file below drive C: ("Users/Owner/x.tmp"), days old by its last write; its host path.
    std::string Plant(const std::string& relative, size_t size, int daysOld = 3) const;
    std::string HostPath(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

    // Plants the junk the tests' rule set finds (1210 bytes in 5 files) and what it must leave.
    void PlantJunk() const;

    testing_support::TempMachine machine;
};

// A category's children with the reference each call hands out released again.
std::vector<IDregsweepCatagory*> Children(IDregsweepCatagory* catagory);
std::vector<IDregsweepCatagory*> TopCatagories(IDregsweep* gatherer);
// The level-3 category of that name under the top-level category of that name.
IDregsweepCatagory* TypeNamed(IDregsweep* gatherer, const std::wstring& top, const std::wstring& type);
// Every file the items below report, sorted.
std::vector<std::pair<std::wstring, uint64_t>> FilesBelow(IDregsweepCatagory* catagory);

constexpr uint64_t kPlantedSize = 1210;
constexpr uint64_t kPlantedFiles = 5;

} // namespace dregsweep_test
