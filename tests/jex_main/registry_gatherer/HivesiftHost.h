// The tests act as the gatherer's outside host: they load Hivesift.dll from the build's program
// folder, obtain the gatherer through GetImp and drive it with rule files and registries of
// their own.
#pragma once

#include "jex_main/registry_gatherer/IHivesift.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Records what the gatherer hands out, holding a reference on each object.
class CRecordingSink : public IHivesiftSink {
public:
    ~CRecordingSink() override;
    bool OnCatagory(IRegGarbageCatagory* catagory) override;
    bool OnGarbage(IRegGarbageInfo* garbage) override;

    std::vector<IRegGarbageCatagory*> catagories;
    std::vector<IRegGarbageInfo*> garbages;
};

// What one found item shows, for comparing.
struct FoundItem_ {
    std::wstring displayText;
    std::wstring keyPath;
    int procType = 0;
    std::wstring catagory;
    bool operator==(const FoundItem_& other) const;
};
void PrintTo(const FoundItem_& item, std::ostream* out);

class HivesiftHost : public testing::Test {
protected:
    // Loads Hivesift.dll from the build's program folder; null when it or its export is missing.
    static GetImpFn BindGetImp();

    void SetUp() override;
    void TearDown() override;

    // A file of the machine (UTF-8 content) and its Windows path.
    std::wstring WriteMachineFile(const std::string& relative, const std::string& content) const;
    // A rule file whose root element holds body.
    std::wstring WriteRules(const std::string& body, const std::string& name = "rules.xml") const;
    // A display-text file whose "RegGarbage" element holds body.
    std::wstring WriteTexts(const std::string& body, const std::string& name = "texts.xml") const;
    // A category named "C" holding the rule elements.
    static std::string Catagory(const std::string& rules);
    // The rule once for each value, with "@" in it replaced by the value.
    static std::string EachOf(const std::string& rule, std::initializer_list<const char*> values);
    // Init with a rule file holding body and an empty text table; must succeed.
    void InitWithRules(const std::string& body);

    // .reg text after the editor's header line; must import.
    static void Seed(const std::wstring& regText);
    // An empty file at a Windows path (folders made as needed).
    static void MakeFile(const std::wstring& windowsPath);
    static std::wstring SystemDirectory();

    std::vector<std::wstring> CatagoryNames();
    // Runs one scan without a collect context and returns every item found so far.
    std::vector<FoundItem_> Collect();
    std::vector<FoundItem_> Garbages();
    // The messages of Quarnel.log, without their time stamps.
    static std::vector<std::wstring> LogMessages();
    static bool Logged(const std::wstring& message);

    testing_support::TempMachine machine_;
    IHivesift* gatherer_ = nullptr;
};
