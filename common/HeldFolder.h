// A folder held open by its handle once that handle has shown a real folder, neither link nor
// mount point, and where one is expected the very folder expected (its volume and file index). Its
// entries are listed through that handle and opened relative to it, and each is deleted by its own
// handle, so that no path is walked again through a name another process may have swapped for a
// link since. What makes an entry the one to delete is the caller's to judge, by the entry's handle.
#pragma once

#include "common/FolderChain.h"
#include "platform/Windows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CHeldFolder {
public:
    enum class State : unsigned char { Held, Gone, Changed, Denied };
    enum class Deletion : unsigned char { Deleted, Gone, Changed, Denied };
    // How a folder is made: only anew (failing where the name exists, a link included), or where
    // it is missing.
    enum class Making : unsigned char { New, IfMissing };

    // The folder at a path. With a file index, it must be that folder of that volume; without one
    // (0), any real folder is taken, and its volume and file index can be read from the holder.
    CHeldFolder(const std::wstring& path, DWORD volume, uint64_t fileIndex);
    // The folder of that name in a held folder, the same way.
    CHeldFolder(const CHeldFolder& parent, const std::wstring& name, DWORD volume, uint64_t fileIndex);
    // The chain's last folder, reached again from its drive's folder down with every folder on the
    // way the one recorded; Changed when one is not.
    explicit CHeldFolder(const FolderChain& chain);
    // The folder of that name in a held folder, made as making says, never through a link; a
    // folder that cannot be had leaves the holder Denied with the Windows error in Error().
    CHeldFolder(const CHeldFolder& parent, const std::wstring& name, Making making);
    // A folder handle of the caller's, held while the holder lives and left open for the caller.
    explicit CHeldFolder(HANDLE borrowed);
    ~CHeldFolder();
    CHeldFolder(const CHeldFolder&) = delete;
    CHeldFolder& operator=(const CHeldFolder&) = delete;

    State GetState() const { return state_; }
    HANDLE Handle() const { return handle_; }
    DWORD Volume() const { return volume_; }
    uint64_t FileIndex() const { return fileIndex_; }

    // Opens one name of the folder, never following a link; null with the Windows error in error.
    HANDLE OpenEntry(const std::wstring& name, DWORD access, ULONG options, DWORD& error) const;
    // Makes or opens one name of the folder as NtCreateFile's disposition says (its name taking the
    // case of a name the folder holds), never through a link; null with the Windows error in error.
    HANDLE CreateEntry(const std::wstring& name, DWORD access, ULONG disposition, ULONG options, DWORD attributes,
                       DWORD& error) const;
    // Moves an opened entry (a handle with DELETE access) to the name in this folder, over an
    // existing file where replace is set; false with the Windows error set.
    bool MoveHere(HANDLE entry, const std::wstring& name, bool replace) const;
    // Puts the bytes in the name's place in one step: they are written into the draft, a name made
    // anew in this folder, which then takes the name over whatever it held (a link there is
    // replaced, never written through). A draft that does not take the name is deleted by its
    // handle. False with the Windows error set.
    bool ReplaceEntry(const std::wstring& name, const std::wstring& draft, const void* bytes, DWORD size) const;
    // Why the folder could not be had, where it was to be made.
    DWORD Error() const { return error_; }

    // Calls visit(const FILE_ID_BOTH_DIR_INFO&) for each entry the folder's handle lists, from the
    // first, until visit returns false; false when visit ended the listing.
    template <typename Visit>
    bool ForEachEntry(Visit visit) const
    {
        std::vector<uint64_t> buffer(kListingBytes / sizeof(uint64_t));
        for (bool first = true; ListNext(buffer.data(), first); first = false) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
            for (size_t offset = 0;;) {
                const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
                if (!visit(*entry))
                    return false;
                if (!entry->NextEntryOffset)
                    break;
                offset += entry->NextEntryOffset;
            }
        }
        return true;
    }

    // Opens the entry name (a link as itself; options as NtOpenFile takes them) for its deletion,
    // with DELETE and FILE_READ_ATTRIBUTES and the access given, and deletes it by that handle once
    // ready(handle, what the handle tells) agrees; a folder goes only when empty.
    template <typename Ready>
    Deletion DeleteEntry(const std::wstring& name, ULONG options, DWORD access, Ready ready) const
    {
        BY_HANDLE_FILE_INFORMATION information{};
        Deletion failure = Deletion::Denied;
        const HANDLE entry = OpenForDeletion(name, options, access, information, failure);
        if (!entry)
            return failure;
        return DeleteAndClose(entry, ready(entry, static_cast<const BY_HANDLE_FILE_INFORMATION&>(information)));
    }

private:
    static constexpr size_t kListingBytes = 64 * 1024;

    void Hold(HANDLE handle, DWORD volume, uint64_t fileIndex);
    // The folder's next entries into a buffer of kListingBytes, from its first where first is set;
    // false when none is left.
    bool ListNext(void* buffer, bool first) const;
    HANDLE OpenForDeletion(const std::wstring& name, ULONG options, DWORD access,
                           BY_HANDLE_FILE_INFORMATION& information, Deletion& failure) const;
    // Deletes the entry by its handle when wanted, and closes the handle.
    static Deletion DeleteAndClose(HANDLE entry, bool wanted);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    State state_ = State::Denied;
    DWORD volume_ = 0;
    uint64_t fileIndex_ = 0;
    DWORD error_ = ERROR_SUCCESS;
    bool owned_ = true;
};

using folder_chain::FileIndexOf;

// Deletes the opened entry (a handle with DELETE access) by that handle; false with the Windows
// error set.
bool DeleteByHandle(HANDLE entry);

// The folder that the names lead to below the held root, each held in turn and made where missing,
// never through a link; null with the Windows error in error.
std::unique_ptr<CHeldFolder> HoldFoldersBelow(const CHeldFolder& root, const std::vector<std::wstring>& names,
                                              DWORD& error);

// A folder, neither link nor mount point.
inline bool IsRealFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
