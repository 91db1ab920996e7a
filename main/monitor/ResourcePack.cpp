#include "ResourcePack.h"

#include "ResourceFolder.h"

#include "update/IUnzipFile.h"
#include "update/IUpdateFixt.h"

#include "common/HeldFolderRemoval.h"
#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <memory>
#include <vector>

namespace {

const wchar_t kSection[] = L"update";
const wchar_t kDescription[] = L"TrayPop.ini";
const wchar_t kFreshDescription[] = L"temp.ini";
const wchar_t kPackArchive[] = L"images.zip";
const wchar_t kPackFolder[] = L"images";
// A newer pack while it is unpacked; one that an update cut short left is removed.
const wchar_t kDraftPack[] = L"pack.draft";
// A newer pack unpacked whole, its pictures and its description, until both are in place.
const wchar_t kReadyPack[] = L"pack.ready";
// The pictures a newer pack replaced, until they are removed.
const wchar_t kReplacedPictures[] = L"images.old";
// More than any day's few lines; a larger file is read only this far.
constexpr qint64 kLongestDayText = 64 * 1024;
// Far more than a picture of the assistant's card takes; a larger file is no day's picture.
constexpr qint64 kLargestPicture = 16 * 1024 * 1024;

using folder_chain::IsGone;
using Handle = folder_chain::Held;

std::function<void(CResourcePack::Step)>& StepHook()
{
    static std::function<void(CResourcePack::Step)> hook;
    return hook;
}

void Reached(CResourcePack::Step step)
{
    if (StepHook())
        StepHook()(step);
}

std::wstring InstalledDefaults()
{
    return platform::Machine().programFolder + L"\\";
}

int ReadNumber(const std::wstring& description, const wchar_t* key, int fallback)
{
    return static_cast<int>(GetPrivateProfileIntW(kSection, key, fallback, description.c_str()));
}

// An address as the Update library takes it (at most MAX_PATH - 1 characters); a longer one is
// read as far as one character past that limit, so that it is known to be too long.
std::wstring ReadAddress(const std::wstring& description, const wchar_t* key)
{
    std::vector<wchar_t> value(MAX_PATH + 1, L'\0');
    const DWORD length =
        GetPrivateProfileStringW(kSection, key, L"", value.data(), static_cast<DWORD>(value.size()), description.c_str());
    return std::wstring(value.data(), length);
}

bool Fits(const std::wstring& text)
{
    return text.size() < MAX_PATH;
}

bool IsFile(const QString& path)
{
    const DWORD attributes = GetFileAttributesW(path.toStdWString().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file's first bytes: at most limit + 1 of them, so that a longer file is known as such.
QByteArray ReadStart(const QString& path, qint64 limit)
{
    const HANDLE opened = CreateFileW(path.toStdWString().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return QByteArray();
    const Handle file(opened);
    QByteArray bytes;
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    DWORD read = 0;
    while (bytes.size() <= limit && ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr) &&
           read > 0)
        bytes.append(piece.constData(), static_cast<int>(read));
    return bytes;
}

// The entry of a held folder opened to be moved: never a link that took its name.
Handle OpenToMove(const CHeldFolder& folder, const std::wstring& name, ULONG options, DWORD& error)
{
    Handle entry(folder.OpenEntry(name, DELETE | FILE_READ_ATTRIBUTES, options, error));
    BY_HANDLE_FILE_INFORMATION information {};
    if (entry && !GetFileInformationByHandle(entry.get(), &information)) {
        error = GetLastError();
        entry.reset();
    } else if (entry && (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        error = ERROR_ACCESS_DENIED;
        entry.reset();
    }
    return entry;
}

// Moves the entry of one held folder to the name in another (or the same one); ERROR_SUCCESS or
// the Windows error.
DWORD MoveEntry(const CHeldFolder& from, const std::wstring& name, const CHeldFolder& to, const std::wstring& target,
                ULONG options, bool replace)
{
    DWORD error = ERROR_SUCCESS;
    const Handle entry = OpenToMove(from, name, options, error);
    if (!entry)
        return error;
    return to.MoveHere(entry.get(), target, replace) ? ERROR_SUCCESS : GetLastError();
}

// The fresh description takes the place of the one in use.
bool PlaceFreshDescription(const CHeldFolder& resources, const std::wstring& fresh)
{
    const DWORD error =
        MoveEntry(resources, kFreshDescription, resources, kDescription, FILE_NON_DIRECTORY_FILE, true);
    if (error == ERROR_SUCCESS)
        return true;
    WriteLog(L"the resource description was not replaced, error %u", static_cast<unsigned>(error));
    DeleteFileW(fresh.c_str());
    return false;
}

// The pictures in use, or whatever took their name (a link is moved itself, never followed), go
// aside so that a pack's pictures can take the name: a folder is never replaced.
DWORD SetPicturesAside(const CHeldFolder& resources)
{
    if (!IsRemoved(RemoveHeldEntry(resources, kReplacedPictures)))
        return ERROR_ALREADY_EXISTS;
    DWORD error = ERROR_SUCCESS;
    const Handle pictures(resources.OpenEntry(kPackFolder, DELETE | FILE_READ_ATTRIBUTES, 0, error));
    if (!pictures)
        return IsGone(error) ? ERROR_SUCCESS : error;
    return resources.MoveHere(pictures.get(), kReplacedPictures, false) ? ERROR_SUCCESS : GetLastError();
}

// The ready pack's pictures take the place of those in use; true also when they have already.
bool PlacePictures(const CHeldFolder& resources, const CHeldFolder& ready)
{
    DWORD error = ERROR_SUCCESS;
    const Handle pictures = OpenToMove(ready, kPackFolder, FILE_DIRECTORY_FILE, error);
    if (!pictures && IsGone(error))
        return true;
    if (pictures && (error = SetPicturesAside(resources)) == ERROR_SUCCESS) {
        Reached(CResourcePack::Step::PicturesAside);
        if (resources.MoveHere(pictures.get(), kPackFolder, false)) {
            Reached(CResourcePack::Step::PicturesPlaced);
            return true;
        }
        error = GetLastError();
    }
    WriteLog(L"the pictures of the new resource pack were not put in place, error %u", static_cast<unsigned>(error));
    return false;
}

// Puts a ready pack in place, its pictures and then its description, wherever an update that was
// cut short left it, and removes what such an update left behind. False while the ready pack
// could not be put in place whole: it waits for the next update.
bool PlaceReadyPack(const CHeldFolder& resources)
{
    {
        const CHeldFolder ready(resources, kReadyPack, 0, 0);
        if (ready.GetState() == CHeldFolder::State::Held) {
            if (!PlacePictures(resources, ready))
                return false;
            const DWORD error =
                MoveEntry(ready, kDescription, resources, kDescription, FILE_NON_DIRECTORY_FILE, true);
            if (error != ERROR_SUCCESS && !IsGone(error)) {
                WriteLog(L"the description of the new resource pack was not put in place, error %u",
                         static_cast<unsigned>(error));
                return false;
            }
            Reached(CResourcePack::Step::DescriptionPlaced);
        }
    }
    for (const wchar_t* leftover : {kReadyPack, kReplacedPictures, kDraftPack})
        RemoveHeldEntry(resources, leftover);
    return true;
}

// A default file over the one of that name in the pictures; where a read-only or hidden one
// refuses that, in its place once it is removed by its handle.
void CopyDefault(const std::wstring& source, const CHeldFolder& pictures, const std::wstring& picturesPath,
                 const std::wstring& name)
{
    const std::wstring copy = picturesPath + name;
    if (CopyFileW(source.c_str(), copy.c_str(), FALSE) || GetLastError() != ERROR_ACCESS_DENIED)
        return;
    pictures.DeleteEntry(name, FILE_NON_DIRECTORY_FILE, FILE_WRITE_ATTRIBUTES,
                         [](HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information) {
        ClearReadOnly(entry, information);
        return true;
    });
    CopyFileW(source.c_str(), copy.c_str(), TRUE);
}

} // namespace

CResourcePack::CResourcePack(const QString& folder, IUpdateFixt* updater, IUnzipFile* archive)
    : folder_(folder.toStdWString()), updater_(updater), archive_(archive)
{
}

void CResourcePack::SetStepHook(std::function<void(Step)> hook)
{
    StepHook() = std::move(hook);
}

bool CResourcePack::Update() const
{
    if (folder_.empty())
        return true;
    const std::wstring description = folder_ + kDescription;
    if (GetFileAttributesW(description.c_str()) == INVALID_FILE_ATTRIBUTES) {
        RestoreDefaults(QString::fromStdWString(folder_));
        return true;
    }
    DWORD error = ERROR_SUCCESS;
    const std::unique_ptr<CHeldFolder> resources = HoldResourceFolder(folder_, error);
    if (!resources) {
        WriteLog(L"the resource folder cannot be had, error %u", static_cast<unsigned>(error));
        return true;
    }
    if (!PlaceReadyPack(*resources))
        return false;
    if (!updater_)
        return true;

    const int localVersion = ReadNumber(description, L"resver", 0);
    const std::wstring config = ReadAddress(description, L"config");
    const std::wstring fresh = folder_ + kFreshDescription;
    if (!Fits(config) || !Fits(fresh) ||
        updater_->DownloadAs(DownloadKind::Description, config.c_str(), fresh.c_str()) != 0) {
        WriteLog(L"the resource description was not downloaded");
        DeleteFileW(fresh.c_str());
        return false;
    }
    // An error page or an empty file is no description: the one in use stays.
    const std::wstring packAddress = ReadAddress(fresh, L"resurl");
    const std::wstring nextConfig = ReadAddress(fresh, L"config");
    if (nextConfig.empty() || !Fits(nextConfig) || !Fits(packAddress)) {
        WriteLog(L"the downloaded resource description has no usable \"update\" section: it is not used");
        DeleteFileW(fresh.c_str());
        return false;
    }
    if (ReadNumber(fresh, L"resver", 0) > localVersion)
        return UpdatePack(*resources, packAddress);
    return PlaceFreshDescription(*resources, fresh);
}

bool CResourcePack::UpdatePack(const CHeldFolder& resources, const std::wstring& address) const
{
    const std::wstring zip = folder_ + kPackArchive;
    const std::wstring fresh = folder_ + kFreshDescription;
    if (!Fits(zip) || updater_->DownloadAs(DownloadKind::Pack, address.c_str(), zip.c_str()) != 0) {
        WriteLog(L"the resource pack was not downloaded");
        DeleteFileW(zip.c_str());
        DeleteFileW(fresh.c_str());
        return false;
    }
    // Without the extractor the pack waits as it came, and its description is taken.
    if (!archive_)
        return PlaceFreshDescription(resources, fresh);
    if (!MakeReady(resources, zip)) {
        DeleteFileW(fresh.c_str());
        return false;
    }
    Reached(Step::Ready);
    return PlaceReadyPack(resources);
}

bool CResourcePack::MakeReady(const CHeldFolder& resources, const std::wstring& zip) const
{
    if (!IsRemoved(RemoveHeldEntry(resources, kDraftPack))) {
        WriteLog(L"the resource pack was not unpacked: an earlier one cannot be removed");
        DeleteFileW(zip.c_str());
        return false;
    }
    // Made anew and held: whatever takes its name from now on, the pack goes into this folder.
    const CHeldFolder draft(resources, kDraftPack, CHeldFolder::Making::New);
    const CHeldFolder pictures(draft, kPackFolder, CHeldFolder::Making::New);
    if (pictures.GetState() != CHeldFolder::State::Held)
        WriteLog(L"the resource pack was not unpacked: its folder cannot be made, error %u",
                 static_cast<unsigned>(draft.GetState() == CHeldFolder::State::Held ? pictures.Error() : draft.Error()));
    bool ready = pictures.GetState() == CHeldFolder::State::Held && Unpack(pictures, zip);
    DeleteFileW(zip.c_str());
    if (ready) {
        Reached(Step::Unpacked);
        DWORD error = MoveEntry(resources, kFreshDescription, draft, kDescription, FILE_NON_DIRECTORY_FILE, false);
        if (error == ERROR_SUCCESS)
            error = MoveEntry(resources, kDraftPack, resources, kReadyPack, FILE_DIRECTORY_FILE, false);
        if (error != ERROR_SUCCESS)
            WriteLog(L"the unpacked resource pack was not made ready, error %u", static_cast<unsigned>(error));
        ready = error == ERROR_SUCCESS;
    }
    if (ready)
        return true;
    // Through its handle, wherever its name has gone since; then whatever has its name now.
    EmptyHeldFolder(draft);
    RemoveHeldEntry(resources, kDraftPack);
    return false;
}

bool CResourcePack::Unpack(const CHeldFolder& pictures, const std::wstring& zip) const
{
    if (const OpResult opened = archive_->Open(zip.c_str())) {
        WriteLog(L"the downloaded resource pack is no archive, result 0x%llx", static_cast<unsigned long long>(opened));
        return false;
    }
    const OpResult extracted = archive_->ExtractAllInto(pictures.Handle());
    archive_->Close();
    if (extracted != 0) {
        WriteLog(L"the resource pack was not extracted whole, result 0x%llx", static_cast<unsigned long long>(extracted));
        return false;
    }
    return true;
}

bool CResourcePack::RestoreDefaults(const QString& folder)
{
    const std::wstring target = folder.toStdWString();
    DWORD error = ERROR_SUCCESS;
    const std::unique_ptr<CHeldFolder> resources = HoldResourceFolder(target, error);
    std::unique_ptr<CHeldFolder> pictures;
    if (resources) {
        pictures = std::make_unique<CHeldFolder>(*resources, kPackFolder, CHeldFolder::Making::IfMissing);
        error = pictures->Error();
    }
    if (!pictures || pictures->GetState() != CHeldFolder::State::Held) {
        WriteLog(L"the default resources were not copied: their folder cannot be had, error %u",
                 static_cast<unsigned>(error));
        return false;
    }
    const std::wstring installed = InstalledDefaults();
    CopyFileW((installed + kDescription).c_str(), (target + kDescription).c_str(), TRUE);
    const std::wstring defaults = installed + L"res\\TrayPop\\";
    WIN32_FIND_DATAW found {};
    const HANDLE listing = FindFirstFileW((defaults + L"*").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE)
        return true;
    do {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            CopyDefault(defaults + found.cFileName, *pictures, target + kPackFolder + L"\\", found.cFileName);
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
    return true;
}

void CResourcePack::MarkOutdated(const QString& folder)
{
    if (folder.isEmpty())
        return;
    const std::wstring description = folder.toStdWString() + kDescription;
    WritePrivateProfileStringW(kSection, L"resver", L"0", description.c_str());
}

RemoteSwitches CResourcePack::ReadSwitches(const QString& folder)
{
    RemoteSwitches switches;
    const std::wstring description = folder.toStdWString() + kDescription;
    if (folder.isEmpty() || GetFileAttributesW(description.c_str()) == INVALID_FILE_ATTRIBUTES)
        return switches;
    switches.enableScan = ReadNumber(description, L"enablescan", 1) != 0;
    switches.enableAssit = ReadNumber(description, L"enableassit", 1) != 0;
    return switches;
}

DayResources CResourcePack::ForDay(const QString& folder, const QDate& day)
{
    const QString base = folder + QStringLiteral("images\\") + QString::number(day.day());
    DayResources found;
    for (const char* extension : {".png", ".jpg"}) {
        if (IsFile(base + QLatin1String(extension))) {
            found.picture = base + QLatin1String(extension);
            break;
        }
    }
    if (IsFile(base + QStringLiteral(".txt")))
        found.text = base + QStringLiteral(".txt");
    if (found.picture.isEmpty() || found.text.isEmpty())
        return DayResources();
    return found;
}

QString CResourcePack::ReadText(const QString& path)
{
    return QString::fromUtf8(ReadStart(path, kLongestDayText).left(static_cast<int>(kLongestDayText)));
}

QPixmap CResourcePack::ReadPicture(const QString& path)
{
    const QByteArray bytes = ReadStart(path, kLargestPicture);
    QPixmap picture;
    if (bytes.size() <= kLargestPicture)
        picture.loadFromData(bytes);
    return picture;
}
