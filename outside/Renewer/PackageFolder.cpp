#include "PackageFolder.h"

#include "common/UpdatePackagePlace.h"
#include "platform/Windows.h"
#include "update/DownloadLimits.h"

#include <sha2.h>

#include <algorithm>

namespace {

const wchar_t kLandingName[] = L"Draviels.download";
const wchar_t kDigestName[] = L"Draviels.sha256";
const wchar_t kDigestDraftName[] = L"Draviels.sha256.new";
constexpr DWORD kReadPiece = 1 << 20;
constexpr size_t kDigestChars = SHA256_DIGEST_LENGTH * 2;

std::string ErrorText(DWORD error)
{
    return "error " + std::to_string(error);
}

// Closes the handle when it goes.
struct Handle {
    HANDLE value;
    ~Handle()
    {
        if (value)
            CloseHandle(value);
    }
};

// The SHA-256 digest (lower-case hex) of the plain file's bytes, read through its handle from its
// start, kept in bytes where asked; empty with the reason in failure.
std::string DigestOf(HANDLE file, std::vector<uint8_t>* bytes, std::string& failure)
{
    BY_HANDLE_FILE_INFORMATION information {};
    LARGE_INTEGER size {};
    if (!GetFileInformationByHandle(file, &information) || !GetFileSizeEx(file, &size)) {
        failure = "the package cannot be read (" + ErrorText(GetLastError()) + ")";
        return std::string();
    }
    if (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        failure = "the package is no plain file";
        return std::string();
    }
    if (static_cast<uint64_t>(size.QuadPart) > kLargestUpdatePackage) {
        failure = "the package is larger than any update (" + std::to_string(size.QuadPart) + " bytes)";
        return std::string();
    }
    if (bytes)
        bytes->reserve(static_cast<size_t>(size.QuadPart));
    SHA2_CTX context;
    SHA256Init(&context);
    std::vector<uint8_t> piece(kReadPiece);
    uint64_t total = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, piece.data(), kReadPiece, &read, nullptr)) {
            failure = "the package cannot be read (" + ErrorText(GetLastError()) + ")";
            return std::string();
        }
        if (read == 0)
            break;
        // A file that grows while it is read is no longer the one that was measured.
        if ((total += read) > kLargestUpdatePackage) {
            failure = "the package is larger than any update";
            return std::string();
        }
        SHA256Update(&context, piece.data(), read);
        if (bytes)
            bytes->insert(bytes->end(), piece.begin(), piece.begin() + read);
    }
    char hex[SHA256_DIGEST_STRING_LENGTH];
    return SHA256End(&context, hex);
}

bool WriteWhole(HANDLE file, const std::string& text)
{
    DWORD written = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size() &&
           FlushFileBuffers(file);
}

} // namespace

CPackageFolder::CPackageFolder(const std::wstring& programFolder, bool make)
{
    const std::wstring program = programFolder.substr(0, programFolder.find_last_not_of(L'\\') + 1);
    path_ = program + L"\\" + kPackageFolderName;
    program_ = std::make_unique<CHeldFolder>(program, 0, 0);
    if (program_->GetState() != CHeldFolder::State::Held) {
        failure_ = "the program folder cannot be held (" + ErrorText(GetLastError()) + ")";
        return;
    }
    folder_ = make ? std::make_unique<CHeldFolder>(*program_, kPackageFolderName, CHeldFolder::Making::IfMissing)
                   : std::make_unique<CHeldFolder>(*program_, kPackageFolderName, 0, 0);
    switch (folder_->GetState()) {
    case CHeldFolder::State::Held: break;
    case CHeldFolder::State::Gone: failure_ = "no package has been downloaded"; break;
    case CHeldFolder::State::Changed: failure_ = "the download folder is no folder"; break;
    case CHeldFolder::State::Denied:
        failure_ = "the download folder cannot be had (" + ErrorText(make ? folder_->Error() : GetLastError()) + ")";
        break;
    }
}

std::string CPackageFolder::Clear() const
{
    std::vector<std::wstring> names;
    folder_->ForEachEntry([&names](const FILE_ID_BOTH_DIR_INFO& found) {
        names.emplace_back(found.FileName, found.FileNameLength / sizeof(WCHAR));
        return true;
    });
    for (const std::wstring& name : names)
        folder_->DeleteEntry(name, FILE_NON_DIRECTORY_FILE, 0,
                             [](HANDLE, const BY_HANDLE_FILE_INFORMATION&) { return true; });
    for (const wchar_t* name : {kPackageName, kDigestName}) {
        DWORD error = ERROR_SUCCESS;
        Handle left {folder_->OpenEntry(name, FILE_READ_ATTRIBUTES, 0, error)};
        if (left.value || !folder_chain::IsGone(error))
            return "the earlier package cannot be removed (" + ErrorText(left.value ? ERROR_ACCESS_DENIED : error) + ")";
    }
    return std::string();
}

std::wstring CPackageFolder::LandingPath() const
{
    return path_ + L"\\" + kLandingName;
}

std::string CPackageFolder::Record() const
{
    DWORD error = ERROR_SUCCESS;
    Handle landed {folder_->OpenEntry(kLandingName, GENERIC_READ | DELETE, FILE_NON_DIRECTORY_FILE, error)};
    if (!landed.value)
        return "the download cannot be opened (" + ErrorText(error) + ")";
    std::string failure;
    const std::string digest = DigestOf(landed.value, nullptr, failure);
    if (!digest.empty()) {
        Handle draft {folder_->CreateEntry(kDigestDraftName, GENERIC_WRITE | DELETE, FILE_OVERWRITE_IF,
                                           FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_NORMAL, error)};
        if (!draft.value || !WriteWhole(draft.value, digest + "\n") || !folder_->MoveHere(draft.value, kDigestName, true) ||
            !folder_->MoveHere(landed.value, kPackageName, true)) {
            failure = "the package's digest cannot be recorded (" + ErrorText(draft.value ? GetLastError() : error) + ")";
            if (draft.value)
                DeleteByHandle(draft.value);
        }
    }
    if (!failure.empty())
        DeleteByHandle(landed.value);
    return failure;
}

std::string CPackageFolder::Read(std::vector<uint8_t>& bytes) const
{
    DWORD error = ERROR_SUCCESS;
    Handle package {folder_->OpenEntry(kPackageName, GENERIC_READ, FILE_NON_DIRECTORY_FILE, error)};
    if (!package.value)
        return folder_chain::IsGone(error) ? "no package has been downloaded"
                                           : "the package cannot be opened (" + ErrorText(error) + ")";
    Handle record {folder_->OpenEntry(kDigestName, GENERIC_READ, FILE_NON_DIRECTORY_FILE, error)};
    char recorded[kDigestChars + 1] = {};
    DWORD read = 0;
    if (!record.value || !ReadFile(record.value, recorded, kDigestChars, &read, nullptr) || read != kDigestChars)
        return "the package has no digest recorded at its download";
    std::string failure;
    const std::string digest = DigestOf(package.value, &bytes, failure);
    if (!failure.empty())
        return failure;
    if (digest != std::string(recorded, kDigestChars)) {
        bytes.clear();
        return "the package does not have the digest recorded at its download";
    }
    return std::string();
}

void CPackageFolder::Remove() const
{
    for (const wchar_t* name : {kPackageName, kDigestName})
        folder_->DeleteEntry(name, FILE_NON_DIRECTORY_FILE, 0, [](HANDLE, const BY_HANDLE_FILE_INFORMATION&) { return true; });
}
