#include "ResourcePack.h"

#include "update/IUnzipFile.h"
#include "update/IUpdateFixt.h"

#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace {

const wchar_t kSection[] = L"update";
const wchar_t kDescription[] = L"TrayPop.ini";
const wchar_t kFreshDescription[] = L"temp.ini";
const wchar_t kPackArchive[] = L"images.zip";
const wchar_t kPackFolder[] = L"images";
// More than any day's few lines; a larger file is read only this far.
constexpr qint64 kLongestDayText = 64 * 1024;

QString Host(const std::wstring& windowsPath)
{
    return QString::fromStdString(platform::HostPath(windowsPath));
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

// Every plain file directly in the folder (not below it).
QFileInfoList FilesIn(const QString& hostFolder)
{
    return QDir(hostFolder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

CResourcePack::CResourcePack(const QString& folder, IUpdateFixt* updater, IUnzipFile* archive)
    : folder_(folder.toStdWString()), updater_(updater), archive_(archive)
{
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
    if (!updater_ || !QDir().mkpath(Host(folder_)))
        return true;

    const int localVersion = ReadNumber(description, L"resver", 0);
    const std::wstring config = ReadAddress(description, L"config");
    const std::wstring fresh = folder_ + kFreshDescription;
    if (!Fits(config) || !Fits(fresh) || updater_->Download(config.c_str(), fresh.c_str()) != 0) {
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
    const int remoteVersion = ReadNumber(fresh, L"resver", 0);
    if (!MoveFileExW(fresh.c_str(), description.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        WriteLog(L"the resource description was not replaced, error %u", static_cast<unsigned>(GetLastError()));
        DeleteFileW(fresh.c_str());
        return false;
    }
    return remoteVersion <= localVersion || UpdatePack(packAddress);
}

bool CResourcePack::UpdatePack(const std::wstring& address) const
{
    const std::wstring zip = folder_ + kPackArchive;
    const std::wstring images = folder_ + kPackFolder;
    if (!Fits(zip) || !Fits(images) || updater_->Download(address.c_str(), zip.c_str()) != 0) {
        WriteLog(L"the resource pack was not downloaded");
        return false;
    }
    if (!archive_)
        return true;
    // The pack in use goes only once the new one opens as an archive.
    if (archive_->Open(zip.c_str()) != 0) {
        WriteLog(L"the downloaded resource pack is no archive");
        return false;
    }
    for (const QFileInfo& file : FilesIn(Host(images)))
        QFile::remove(file.filePath());
    QDir().mkpath(Host(images));
    const OpResult extracted = archive_->ExtractAll(images.c_str());
    archive_->Close();
    if (extracted != 0) {
        WriteLog(L"the resource pack was not extracted whole, result 0x%llx", static_cast<unsigned long long>(extracted));
        return false;
    }
    DeleteFileW(zip.c_str());
    return true;
}

bool CResourcePack::RestoreDefaults(const QString& folder)
{
    const QString target = Host(folder.toStdWString());
    if (folder.isEmpty() || !QDir().mkpath(target + QStringLiteral("/images")))
        return false;
    const std::wstring installed = InstalledDefaults();
    QFile::copy(Host(installed + kDescription), target + QStringLiteral("/TrayPop.ini"));
    for (const QFileInfo& file : FilesIn(Host(installed + L"res\\TrayPop"))) {
        const QString copy = target + QStringLiteral("/images/") + file.fileName();
        QFile::remove(copy);
        QFile::copy(file.filePath(), copy);
    }
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
    const QString base = Host((folder + QStringLiteral("images\\") + QString::number(day.day())).toStdWString());
    DayResources found;
    for (const char* extension : {".png", ".jpg"}) {
        if (QFileInfo(base + QLatin1String(extension)).isFile()) {
            found.picture = base + QLatin1String(extension);
            break;
        }
    }
    if (QFileInfo(base + QStringLiteral(".txt")).isFile())
        found.text = base + QStringLiteral(".txt");
    if (found.picture.isEmpty() || found.text.isEmpty())
        return DayResources();
    return found;
}

QString CResourcePack::ReadText(const QString& hostPath)
{
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(kLongestDayText));
}
