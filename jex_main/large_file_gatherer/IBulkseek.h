// The large-file gatherer's contract with its host: the gatherer interface and its options,
// category and found-file objects, the sink the host implements, and the records that cross
// between them. Every object is reference counted through IKyObject; objects the gatherer hands to
// a sink during a call carry no added reference.
#pragma once

#include "OleDateTime.h"

#include "common/KyObject.h"
#include "common/OpResult.h"
#include "platform/Windows.h"

#include <cstdint>
#include <string>

class IBulkseek;

#pragma pack(push, 1)
// The options of a scan, written whole by the host.
struct _BigFile_GatherOption_ {
    uint8_t findSameFiles;        // non-zero: find files of equal content among the found files
    uint64_t minimumSize;         // smaller files are not kept
    COleDateTime lastWriteLimit;  // in force when its status is valid
    uint8_t lastWriteByDay;       // 0: files written after the limit are not kept; else those written before it
    COleDateTime creationLimit;
    uint8_t creationByDay;        // as lastWriteByDay, for the creation time
};
#pragma pack(pop)

static_assert(sizeof(_BigFile_GatherOption_) == 35, "the options record is 35 packed bytes");

// What a category shows, and the first part of a found file's record.
struct _BigFileItem_Info_ {
    std::wstring displayName;
    int32_t type = 0;       // 0 folder or file, 3 fixed drive, 4 the system's drive, 5 fixed drive on USB, 6 network drive
    int32_t iconIndex = 0;  // in the shell's system image list
    uint64_t totalBytes = 0;
    uint64_t usedBytes = 0; // total minus free
};

// A found file: its name as displayName, type 0, no icon and no sizes in the first part.
struct _BigFile_Info_ : _BigFileItem_Info_ {
    std::wstring path;
    uint64_t size = 0;
    COleDateTime lastWriteTime;  // local time
    COleDateTime creationTime;   // local time
    IBulkseek* owner = nullptr;  // the gatherer that found the file
};

class IBulkseekOption : public virtual IKyObject {
public:
    // The object's own record, writable.
    virtual _BigFile_GatherOption_* GetOption() = 0;
    // Copies the record; a null pointer copies nothing. Always true.
    virtual bool SetOption(const _BigFile_GatherOption_* option) = 0;
};

// A scan root: a drive, or a folder added by name. Starts unchecked; only checked ones are scanned.
class IBigFileCatagory : public ICheckStateProc {
public:
    IBigFileCatagory() : ICheckStateProc(0) {}
    virtual _BigFileItem_Info_* GetInfo() = 0;
    // Reads the name, icon and sizes again.
    virtual OpResult Refresh() = 0;
};

// A found file. Starts unchecked; only checked ones are deleted.
class IBigFileGarbageInfo : public ICheckStateProc {
public:
    IBigFileGarbageInfo() : ICheckStateProc(0) {}
    // The text of the last deletion failure; empty before any.
    virtual std::wstring GetFailInfo() = 0;
    virtual _BigFile_Info_* GetInfo() = 0;
};

// The host's callbacks, called on the thread that called the gatherer; false stops the operation
// as each one says.
class IBulkseekSink : public virtual IKyObject {
public:
    // Each drive category in turn; false: no further one.
    virtual bool OnCatagory(IBigFileCatagory* catagory) = 0;
    // Each found file, largest first; false: no further one.
    virtual bool OnGarbage(IBigFileGarbageInfo* item) = 0;
    // The span of the overall progress (0 to 100) the next checked category covers; false: that
    // category is not walked.
    virtual bool OnProgress(int beginPercent, int endPercent) = 0;
    // Every file met: the new found file, or null when it did not pass the filters; its path; the
    // marker 1; the share of the category walked (bytes of files met / used bytes, at most 1).
    // false: the category's walk ends.
    virtual bool OnScanFile(IBigFileGarbageInfo* item, std::wstring path, int marker, double fraction) = 0;
    // In place of OnScanFile when the new found file equals an earlier one in size and content.
    virtual bool OnSameFile(IBigFileGarbageInfo* item, IBigFileGarbageInfo* firstCopy) = 0;
    // Never called.
    virtual bool OnUnusedEvent(int, int, int) = 0;
    // Each checked file after its deletion attempt, with the share done and its failure text;
    // false: no further deletion.
    virtual bool OnEmptyGarbage(IBigFileGarbageInfo* item, bool deleted, int percent, std::wstring failInfo) = 0;
};

class IBulkseek : public virtual IKyObject {
public:
    // Makes one category per usable drive; *shellResult receives the shell's answer.
    virtual OpResult Init(HRESULT* shellResult) = 0;
    virtual OpResult Uninit() = 0;
    // Acts as the logged-on user on the calling thread, and in scans and deletions, until QuitProc.
    virtual OpResult StartProc() = 0;
    virtual OpResult QuitProc() = 0;
    // A new options object with the defaults, owned by the caller; null when memory runs out.
    virtual IBulkseekOption* CreateOption() = 0;
    // A folder category by its shell display name; the list's reference, or null.
    virtual IBigFileCatagory* AddCatagory(const std::wstring& shellDisplayName) = 0;
    virtual OpResult RemoveCatagory(IBigFileCatagory* catagory) = 0;
    virtual OpResult GetCatagories(IBulkseekSink* sink) = 0;
    virtual OpResult CollecttGarbage(IBulkseekSink* sink, IBulkseekOption* option) = 0;
    virtual OpResult GetGarbages(IBulkseekSink* sink) = 0;
    virtual OpResult EmptyGarbage(IBulkseekSink* sink) = 0;
    virtual OpResult ClearGarbage() = 0;
};

// The plug-in's factory: the one gatherer of the process, with a reference for the caller.
extern "C" IBulkseek* GetImp();
