#include "UnzipFixture.h"

#include "platform/Machine.h"
#include "update/UnzipFile.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace update_test {

std::wstring Wide(const std::string& hostPath) { return platform::WindowsPath(hostPath); }

UnzipFixture::UnzipFixture() : unzip_(new CUnzipFile()) {}

std::string UnzipFixture::WriteArchive(const std::string& name, const std::string& bytes) const
{
    return machine_.WriteFile("drive_c/" + name, bytes);
}

OpResult UnzipFixture::OpenBuilt(const std::vector<ZipEntrySpec>& entries)
{
    return unzip_->Open(Wide(WriteArchive("built.zip", BuildZip(entries))).c_str());
}

std::string UnzipFixture::Folder(const std::string& name) const { return machine_.Root() + "/drive_c/" + name; }

std::set<std::string> Listing(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); it != fs::recursive_directory_iterator();
         it.increment(error))
        names.insert(it->path().lexically_relative(folder).generic_string());
    return names;
}

EntryPtr UnzipFixture::Entry(int index)
{
    IFileEntry* entry = nullptr;
    EXPECT_EQ(RESULT_OK, unzip_->GetEntry(index, &entry));
    return EntryPtr(entry);
}

} // namespace update_test
