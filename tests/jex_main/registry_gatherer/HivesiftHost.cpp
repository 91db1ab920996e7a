#include "HivesiftHost.h"

#include "platform/Machine.h"
#include "platform/RegistrySeed.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

CRecordingSink::~CRecordingSink()
{
    for (IRegGarbageCatagory* catagory : catagories)
        catagory->Release();
    for (IRegGarbageInfo* garbage : garbages)
        garbage->Release();
}

bool CRecordingSink::OnCatagory(IRegGarbageCatagory* catagory)
{
    catagory->AddRef();
    catagories.push_back(catagory);
    return true;
}

bool CRecordingSink::OnGarbage(IRegGarbageInfo* garbage)
{
    garbage->AddRef();
    garbages.push_back(garbage);
    return true;
}

bool FoundItem_::operator==(const FoundItem_& other) const
{
    return displayText == other.displayText && keyPath == other.keyPath && procType == other.procType &&
           catagory == other.catagory;
}

void PrintTo(const FoundItem_& item, std::ostream* out)
{
    *out << "{" << platform::ToUtf8(item.displayText) << ", " << platform::ToUtf8(item.keyPath) << ", "
         << item.procType << ", " << platform::ToUtf8(item.catagory) << "}";
}

GetImpFn HivesiftHost::BindGetImp()
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    const HMODULE module = LoadLibraryW(L"Hivesift.dll");
    if (!module)
        return nullptr;
    return reinterpret_cast<GetImpFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp")));
}

void HivesiftHost::SetUp()
{
    const GetImpFn getImp = BindGetImp();
    ASSERT_NE(nullptr, getImp);
    gatherer_ = getImp();
    ASSERT_NE(nullptr, gatherer_);
}

void HivesiftHost::TearDown()
{
    if (!gatherer_)
        return;
    gatherer_->Uninit();
    gatherer_->Release();
}

std::wstring HivesiftHost::WriteMachineFile(const std::string& relative, const std::string& content) const
{
    return platform::WindowsPath(machine_.WriteFile(relative, content));
}

std::wstring HivesiftHost::WriteRules(const std::string& body, const std::string& name) const
{
    return WriteMachineFile("drive_c/Rules/" + name, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Rules>" + body + "</Rules>");
}

std::wstring HivesiftHost::WriteTexts(const std::string& body, const std::string& name) const
{
    return WriteMachineFile("drive_c/Rules/" + name,
                            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Texts><RegGarbage>" + body + "</RegGarbage></Texts>");
}

std::string HivesiftHost::Catagory(const std::string& rules)
{
    return "<RegGarbageCatagory Name=\"C\">" + rules + "</RegGarbageCatagory>";
}

std::string HivesiftHost::EachOf(const std::string& rule, std::initializer_list<const char*> values)
{
    std::string rules;
    for (const char* value : values) {
        std::string one = rule;
        one.replace(one.find('@'), 1, value);
        rules += one;
    }
    return rules;
}

void HivesiftHost::InitWithRules(const std::string& body)
{
    ASSERT_EQ(RESULT_OK, gatherer_->Init(WriteRules(body), WriteTexts("")));
}

void HivesiftHost::Seed(const std::wstring& regText)
{
    const platform::RegistryImportResult imported =
        platform::ImportRegistryText(L"Windows Registry Editor Version 5.00\n\n" + regText);
    ASSERT_TRUE(imported.ok) << platform::ToUtf8(imported.message);
}

void HivesiftHost::MakeFile(const std::wstring& windowsPath)
{
    const std::filesystem::path host = platform::HostPath(windowsPath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host) << "x";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(windowsPath.c_str()));
}

std::wstring HivesiftHost::SystemDirectory()
{
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

std::vector<std::wstring> HivesiftHost::CatagoryNames()
{
    CRecordingSink sink;
    EXPECT_EQ(RESULT_OK, gatherer_->GetCatagories(&sink));
    std::vector<std::wstring> names;
    for (IRegGarbageCatagory* catagory : sink.catagories)
        names.push_back(catagory->GetInfo()->displayName);
    return names;
}

std::vector<FoundItem_> HivesiftHost::Collect()
{
    EXPECT_FALSE(gatherer_->CollectGarbage(nullptr));
    return Garbages();
}

std::vector<FoundItem_> HivesiftHost::Garbages()
{
    CRecordingSink sink;
    EXPECT_EQ(RESULT_OK, gatherer_->GetGarbages(&sink));
    std::vector<FoundItem_> items;
    for (IRegGarbageInfo* garbage : sink.garbages) {
        const _Jex_RegGarbage_Info_* info = garbage->GetInfo();
        EXPECT_EQ(gatherer_, info->gatherer);
        EXPECT_EQ(info->catagory, garbage->GetCatagory());
        EXPECT_EQ(1, garbage->GetCheckState()) << "found items start checked";
        items.push_back({info->displayText, info->keyPath, info->procType, info->catagory->GetInfo()->displayName});
    }
    return items;
}

std::vector<std::wstring> HivesiftHost::LogMessages()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string bytes = testing_support::ReadFile(platform::HostPath(std::wstring(folder) + L"Quarnel.log"));
    const std::wstring text = platform::FromUtf16LEBytes(bytes.data(), bytes.size());
    std::vector<std::wstring> messages;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        const std::wstring line = text.substr(start, end - start);
        const size_t prefixEnd = line.find(L"] ");
        messages.push_back(prefixEnd == std::wstring::npos ? line : line.substr(prefixEnd + 2));
    }
    return messages;
}

bool HivesiftHost::Logged(const std::wstring& message)
{
    const std::vector<std::wstring> messages = LogMessages();
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}
