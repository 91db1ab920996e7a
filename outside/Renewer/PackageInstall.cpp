#include "PackageInstall.h"

#include "InstallJournal.h"
#include "PackageFolder.h"
#include "PackagePlacement.h"
#include "RequestLog.h"
#include "StartupBlock.h"
#include "UpdateLibrary.h"

#include "common/HeldFolder.h"
#include "common/HeldFolderRemoval.h"
#include "common/UpdatePackagePlace.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "update/IUnzipFile.h"
#include "update/UpdateResults.h"

#include <vector>

namespace {

const wchar_t kStagingFolder[] = L"Renewer.staging";
const wchar_t kUnpackedFolder[] = L"new";
const wchar_t kKeptFolder[] = L"old";
const wchar_t kDescription[] = L"kyphtupdate.ini";

std::string ErrorText(DWORD error)
{
    return "error " + std::to_string(error);
}

std::wstring WithoutTrailingBackslash(const std::wstring& folder)
{
    return folder.substr(0, folder.find_last_not_of(L'\\') + 1);
}

// The staging folder of the program folder and everything in it; true when it is gone.
bool RemoveStaging(const CHeldFolder& program)
{
    return IsRemoved(RemoveHeldEntry(program, kStagingFolder));
}

// Where the journal of the held staging folder is not complete, undoes its placings; then empties
// the folder through its handle. Empty on success, otherwise why; the folder then keeps all it
// holds, the files kept for undoing among them. undone counts the placings undone.
std::string Conclude(const CHeldFolder& staging, const CHeldFolder& program, size_t& undone)
{
    std::vector<CInstallJournal::Step> steps;
    undone = 0;
    switch (CInstallJournal::Read(staging, steps)) {
    case CInstallJournal::Reading::Damaged: return "the journal of an install cannot be read";
    case CInstallJournal::Reading::Incomplete: {
        const CHeldFolder kept(staging, kKeptFolder, 0, 0);
        if (const std::string failure = UndoPlacements(steps, kept, program); !failure.empty())
            return failure;
        undone = steps.size();
        break;
    }
    case CInstallJournal::Reading::Missing:
    case CInstallJournal::Reading::Complete: break;
    }
    EmptyHeldFolder(staging);
    return std::string();
}

// Undoes and removes a staging folder that an install cut short left. Empty on success.
std::string RecoverStaging(const CHeldFolder& program)
{
    const CHeldFolder staging(program, kStagingFolder, 0, 0);
    if (staging.GetState() == CHeldFolder::State::Held) {
        size_t undone = 0;
        if (const std::string failure = Conclude(staging, program, undone); !failure.empty())
            return "an interrupted install cannot be undone: " + failure;
        if (undone)
            RecordRequestLine("an interrupted install has been undone: " + std::to_string(undone) +
                              " placed files taken back");
    }
    // A link in its place that stayed would lead the next package out of the program folder.
    if (!RemoveStaging(program))
        return "the staging folder of an earlier install cannot be removed (" + ErrorText(GetLastError()) + ")";
    return std::string();
}

// A full disk or a refused file is no fault of the package: the log tells them apart.
std::string ExtractionFailure(OpResult result)
{
    const DWORD error = static_cast<DWORD>(ResultHigh(result));
    const bool refusedWrite = ResultLow(result) == ResultLow(UpdateFailure(SITE_EXTRACT_FAILED)) && error != 0 &&
                              error != ERROR_INVALID_DATA && error != ERROR_INVALID_NAME && error != ERROR_FILE_EXISTS;
    if (!refusedWrite)
        return "the package is damaged (" + ResultText(result) + ")";
    return "the package cannot be unpacked: writing a file failed (" + ErrorText(error) +
           (error == ERROR_DISK_FULL ? ", the disk is full" : "") + "; " + ResultText(result) + ")";
}

std::string Unpack(const std::vector<uint8_t>& package, const CHeldFolder& unpacked)
{
    IUnzipFile* extractor = CreateExtractor();
    if (!extractor)
        return "the Update library cannot be loaded";
    std::string failure;
    if (const OpResult opened = extractor->OpenMemory(package.data(), static_cast<DWORD>(package.size()))) {
        failure = "the package cannot be opened (" + ResultText(opened) + ")";
    } else {
        if (const OpResult extracted = extractor->ExtractAllInto(unpacked.Handle()))
            failure = ExtractionFailure(extracted);
        extractor->Close();
    }
    extractor->Release();
    return failure;
}

// Renewer's own folders of the program folder are none of a package's business.
bool NamesRenewersFolders(const CHeldFolder& unpacked)
{
    return !unpacked.ForEachEntry([](const FILE_ID_BOTH_DIR_INFO& found) {
        const std::wstring name = EntryName(found);
        return !platform::EqualsIgnoringCase(name, kStagingFolder) && !platform::EqualsIgnoringCase(name, kPackageFolderName);
    });
}

// Unpacks and places the package in the held staging folder.
std::string UnpackAndPlace(const std::vector<uint8_t>& package, const CHeldFolder& staging, const CHeldFolder& program)
{
    const CHeldFolder unpacked(staging, kUnpackedFolder, CHeldFolder::Making::New);
    const CHeldFolder kept(staging, kKeptFolder, CHeldFolder::Making::New);
    for (const CHeldFolder* made : {&unpacked, &kept})
        if (made->GetState() != CHeldFolder::State::Held)
            return "the staging folder cannot be made (" + ErrorText(made->Error()) + ")";
    CInstallJournal journal(staging);
    if (!journal.IsOpen())
        return "the install's journal cannot be made (" + ErrorText(journal.Error()) + ")";
    std::string failure = Unpack(package, unpacked);
    if (failure.empty() && NamesRenewersFolders(unpacked))
        failure = "the package would write into Renewer's own folders";
    return failure.empty() ? PlacePackage(unpacked, kept, program, journal) : failure;
}

// Unpacks and places the package while the start-up block is set.
std::string InstallWhileBlocked(const std::vector<uint8_t>& package, const std::wstring& programFolder)
{
    CStartupBlock block(programFolder + kDescription);
    if (!block.IsSet())
        return "the start-up block cannot be set (" + ErrorText(GetLastError()) + ")";
    const CHeldFolder program(WithoutTrailingBackslash(programFolder), 0, 0);
    if (program.GetState() != CHeldFolder::State::Held)
        return "the program folder cannot be held (" + ErrorText(GetLastError()) + ")";
    if (const std::string recovered = RecoverStaging(program); !recovered.empty()) {
        block.Leave();
        return recovered;
    }
    ReachedInstallStep(InstallStep::StagingRemoved);
    // Made anew and held: whatever takes its name from now on, the package goes into this folder.
    const CHeldFolder staging(program, kStagingFolder, CHeldFolder::Making::New);
    if (staging.GetState() != CHeldFolder::State::Held)
        return "the staging folder cannot be made (" + ErrorText(staging.Error()) + ")";
    ReachedInstallStep(InstallStep::StagingMade);
    std::string failure = UnpackAndPlace(package, staging, program);
    // Through its handle, wherever its name has gone since; then whatever has its name now.
    size_t undone = 0;
    if (const std::string concluded = Conclude(staging, program, undone); !concluded.empty()) {
        // The program folder holds part of the package: the main program must not start on it
        // until the next install or launch has undone it.
        block.Leave();
        return failure.empty() ? concluded : failure + "; " + concluded;
    }
    RemoveStaging(program);
    return failure;
}

} // namespace

void RecoverInterruptedInstall(const std::wstring& programFolder)
{
    const std::wstring description = programFolder + kDescription;
    if (CStartupBlock::Inspect(description) != CStartupBlock::State::Abandoned)
        return;
    const CHeldFolder program(WithoutTrailingBackslash(programFolder), 0, 0);
    const std::string failure = program.GetState() == CHeldFolder::State::Held
                                    ? RecoverStaging(program)
                                    : "the program folder cannot be held (" + ErrorText(GetLastError()) + ")";
    if (!failure.empty()) {
        RecordRequestLine("error: " + failure + "; the start-up block stays");
        return;
    }
    RecordRequestLine(CStartupBlock::ClearAbandoned(description));
}

std::string InstallUpdatePackage(const std::wstring& programFolder)
{
    RecoverInterruptedInstall(programFolder);
    if (CStartupBlock::Inspect(programFolder + kDescription) == CStartupBlock::State::Owned)
        return "another install is running";
    const CPackageFolder packages(programFolder, false);
    if (!packages.Failure().empty())
        return packages.Failure();
    std::vector<uint8_t> package;
    if (const std::string refused = packages.Read(package); !refused.empty())
        return refused;
    const std::string failure = InstallWhileBlocked(package, programFolder);
    // Only once the block is off, so that the package's absence tells that the install has ended.
    if (failure.empty())
        packages.Remove();
    return failure;
}
