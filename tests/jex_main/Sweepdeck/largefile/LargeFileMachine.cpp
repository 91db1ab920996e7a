#include "LargeFileMachine.h"

#include "services/UIPublic.h"

#include "platform/Machine.h"
#include "support/UsageEvents.h"
#include "support/WaitUntil.h"

#include <QJsonDocument>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace largefile_test {

namespace {

constexpr char kMachine[] = "[Drive C]\nLabel=System\nTotalBytes=500000000000\nFreeBytes=200000000000\n"
                            "[Drive D]\nFolder=data\nLabel=Data\nDisk=1\nTotalBytes=1000000000000\nFreeBytes=400000000000\n"
                            "[Disk 1]\nBus=11\n";

// Answers every category and file, and ticks the categories of the drive letters, no others.
class CScanSink : public IBulkseekSink {
public:
    explicit CScanSink(std::wstring checkLetters) : letters(std::move(checkLetters)) {}

    bool OnCatagory(IBigFileCatagory* catagory) override
    {
        const std::wstring& name = catagory->GetInfo()->displayName;
        bool tick = false;
        for (wchar_t letter : letters)
            tick = tick || name.find(std::wstring(1, letter) + L":") != std::wstring::npos;
        if (tick != (catagory->GetCheckState() != 0))
            catagory->ChangeCheckState();
        return true;
    }
    bool OnGarbage(IBigFileGarbageInfo*) override { return true; }
    bool OnProgress(int, int) override { return true; }
    bool OnScanFile(IBigFileGarbageInfo*, std::wstring, int, double) override { return true; }
    bool OnSameFile(IBigFileGarbageInfo*, IBigFileGarbageInfo*) override { return true; }
    bool OnUnusedEvent(int, int, int) override { return false; }
    bool OnEmptyGarbage(IBigFileGarbageInfo*, bool, int, std::wstring) override { return true; }

private:
    std::wstring letters;
};

} // namespace

void LargeFileTest::SetUp()
{
    machine.WriteMachineIni(kMachine);
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    std::filesystem::create_directories(machine.Root() + "/data");
    ASSERT_TRUE(CUIPublic::Instance()->InitLargeFile());
    gatherer = CUIPublic::Instance()->GetBulkseek();
    ASSERT_NE(gatherer, nullptr);
    // The gatherer lives as long as the process: no tick of an earlier test stays.
    CheckDrives(L"");
}

std::wstring LargeFileTest::MakeFile(const std::string& relative, uint64_t size)
{
    const std::string host = machine.WriteFile(relative, "");
    std::filesystem::resize_file(host, size);
    const std::string drive = relative.substr(0, relative.find('/'));
    std::wstring path = drive == "data" ? L"D:" : L"C:";
    std::string rest = drive == "data" ? relative.substr(relative.find('/')) : "/" + relative;
    for (char c : rest)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

void LargeFileTest::CheckDrives(const std::wstring& letters)
{
    CScanSink sink(letters);
    ASSERT_EQ(gatherer->GetCatagories(&sink), RESULT_OK);
}

void LargeFileTest::Scan(uint64_t minimumSize)
{
    CScanSink sink(L"");
    IBulkseekOption* option = gatherer->CreateOption();
    ASSERT_NE(option, nullptr);
    _BigFile_GatherOption_ record{};
    record.minimumSize = minimumSize;
    record.lastWriteLimit.SetStatus(COleDateTime::invalid);
    record.creationLimit.SetStatus(COleDateTime::invalid);
    option->SetOption(&record);
    gatherer->ClearGarbage();
    EXPECT_EQ(gatherer->CollecttGarbage(&sink, option), RESULT_OK);
    option->Release();
}

std::vector<QJsonObject> WaitForEvents(size_t count)
{
    testing_support::WaitUntil([count] { return testing_support::RecordedUsageEvents().size() >= count; });
    return testing_support::RecordedUsageEvents();
}

std::vector<QJsonObject> EventsOf(const std::vector<QJsonObject>& events, const char* window, const char* activity)
{
    std::vector<QJsonObject> matching;
    for (const QJsonObject& event : events)
        if (event.value("Window").toString() == window && event.value("Activity").toString() == activity)
            matching.push_back(event);
    return matching;
}

} // namespace largefile_test
