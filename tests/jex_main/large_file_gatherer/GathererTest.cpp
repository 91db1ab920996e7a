#include "GathererTest.h"

#include "platform/Machine.h"
#include "platform/Text.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace bulkseek_test {

namespace {

constexpr char kMachine[] = "[Drive C]\nLabel=System\nTotalBytes=500000000000\nFreeBytes=200000000000\n"
                            "[Drive D]\nFolder=data\nLabel=Data\nDisk=1\nTotalBytes=1000000000\nFreeBytes=400000000\n"
                            "[Drive E]\nFolder=usb\nBus=7\nDisk=2\nLabel=Passport\nTotalBytes=2000\nFreeBytes=500\n"
                            "[Drive F]\nFolder=card\nType=2\nBus=7\nDisk=3\nLabel=CARD\n"
                            "[Drive G]\nFolder=dvd\nType=5\nDisk=4\nLabel=Film\n"
                            "[Drive R]\nFolder=locked\nDisk=5\nLabel=Vault\nReadOnly=1\n"
                            "[Drive Z]\nFolder=net\nType=4\nDisk=-1\nLabel=Share\nTotalBytes=0\nFreeBytes=0\n"
                            "[Disk 1]\nBus=17\n[Disk 2]\nBus=7\n[Disk 3]\nBus=7\n[Disk 4]\nBus=3\n[Disk 5]\nBus=11\n";

} // namespace

bool CRecordingSink::OnCatagory(IBigFileCatagory* catagory)
{
    catagories.push_back(catagory);
    return catagoryAnswer();
}

bool CRecordingSink::OnGarbage(IBigFileGarbageInfo* item)
{
    garbages.push_back(item);
    return true;
}

bool CRecordingSink::OnProgress(int beginPercent, int endPercent)
{
    spans.emplace_back(beginPercent, endPercent);
    return progressAnswer();
}

bool CRecordingSink::OnScanFile(IBigFileGarbageInfo* item, std::wstring path, int marker, double fraction)
{
    scanned.push_back({item, path, marker, fraction});
    return fileAnswer(path);
}

bool CRecordingSink::OnSameFile(IBigFileGarbageInfo* item, IBigFileGarbageInfo* firstCopy)
{
    same.emplace_back(item->GetInfo()->path, firstCopy->GetInfo()->path);
    return fileAnswer(item->GetInfo()->path);
}

bool CRecordingSink::OnEmptyGarbage(IBigFileGarbageInfo* item, bool deleted, int percent, std::wstring failInfo)
{
    emptied.push_back({item->GetInfo()->path, deleted, percent, failInfo});
    return emptyAnswer();
}

void GathererTest::SetUp()
{
    machine.WriteMachineIni(kMachine);
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    HMODULE module = LoadLibraryW(L"Bulkseek.dll");
    ASSERT_NE(module, nullptr);
    getImp = reinterpret_cast<IBulkseek* (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp")));
    ASSERT_NE(getImp, nullptr);
    gatherer = getImp();
    ASSERT_NE(gatherer, nullptr);
}

void GathererTest::TearDown()
{
    if (gatherer)
        gatherer->Release();
}

void GathererTest::InitAndCheck(const std::wstring& letters)
{
    HRESULT shell = E_FAIL;
    ASSERT_EQ(gatherer->Init(&shell), RESULT_OK);
    ASSERT_EQ(shell, S_OK);
    Check(letters);
}

void GathererTest::Check(const std::wstring& letters)
{
    CRecordingSink sink;
    ASSERT_EQ(gatherer->GetCatagories(&sink), RESULT_OK);
    for (IBigFileCatagory* catagory : sink.catagories)
        if (letters.find(catagory->GetInfo()->displayName.at(catagory->GetInfo()->displayName.size() - 3)) !=
            std::wstring::npos)
            catagory->ChangeCheckState();
}

OpResult GathererTest::Scan(uint64_t minimumSize, bool findSameFiles, CRecordingSink& sink)
{
    IBulkseekOption* option = gatherer->CreateOption();
    EXPECT_NE(option, nullptr);
    _BigFile_GatherOption_ record = *option->GetOption();
    record.minimumSize = minimumSize;
    record.findSameFiles = findSameFiles ? 1 : 0;
    option->SetOption(&record);
    const OpResult result = gatherer->CollecttGarbage(&sink, option);
    option->Release();
    return result;
}

std::vector<std::wstring> GathererTest::FoundPaths()
{
    CRecordingSink sink;
    EXPECT_EQ(gatherer->GetGarbages(&sink), RESULT_OK);
    std::vector<std::wstring> paths;
    for (IBigFileGarbageInfo* item : sink.garbages)
        paths.push_back(item->GetInfo()->path);
    return paths;
}

IBigFileGarbageInfo* GathererTest::Found(const std::wstring& path)
{
    CRecordingSink sink;
    gatherer->GetGarbages(&sink);
    for (IBigFileGarbageInfo* item : sink.garbages)
        if (item->GetInfo()->path == path)
            return item;
    return nullptr;
}

std::wstring GathererTest::MakeFile(const std::string& relative, const std::string& content, uint64_t size)
{
    const std::string host = machine.WriteFile(relative, content);
    if (size > content.size())
        std::filesystem::resize_file(host, size);
    return DrivePath(relative);
}

std::vector<std::wstring> GathererTest::LogLinesWith(const std::wstring& start)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string bytes = testing_support::ReadFile(platform::HostPath(std::wstring(folder) + L"Quarnel.log"));
    const std::wstring text = platform::FromUtf16LEBytes(bytes.data(), bytes.size());
    std::vector<std::wstring> lines;
    size_t begin = 0;
    for (size_t end; (end = text.find(L"\r\n", begin)) != std::wstring::npos; begin = end + 2) {
        const size_t message = text.find(L"] ", begin);
        if (message != std::wstring::npos && message < end && text.compare(message + 2, start.size(), start) == 0)
            lines.push_back(text.substr(message + 2, end - message - 2));
    }
    return lines;
}

std::wstring DrivePath(const std::string& relative)
{
    static const std::pair<const char*, const wchar_t*> drives[] = {
        {"data/", L"D:\\"}, {"usb/", L"E:\\"}, {"net/", L"Z:\\"}, {"drive_c/", L"C:\\"}};
    for (const auto& [folder, letter] : drives) {
        if (relative.rfind(folder, 0) == 0) {
            std::wstring path = letter + platform::FromUtf8(relative.substr(std::strlen(folder)));
            for (wchar_t& c : path)
                if (c == L'/')
                    c = L'\\';
            return path;
        }
    }
    return L"";
}

} // namespace bulkseek_test
