// A file of lines that several processes append to: the log and the records the maker's stand-ins
// keep. Such a file lies in a folder the machine's user writes, and an elevated process appends to
// it too: so it is opened only where its name is a plain file of its own, and every line lands
// whole or not at all.
#pragma once

#include "platform/Windows.h"

#include <string>

class CLineFile {
public:
    CLineFile() = default;
    ~CLineFile() { Close(); }
    CLineFile(const CLineFile&) = delete;
    CLineFile& operator=(const CLineFile&) = delete;

    // Opens the file at a Windows path of the machine for appending, made when missing. A link at
    // the name is never followed, and a file that is no plain file, or that has another name as
    // well (which could be a file of anywhere on the drive), is refused with ERROR_ACCESS_DENIED.
    // False with the last error set.
    bool Open(const std::wstring& path);
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close();

    // The file's size in bytes; false with the last error set.
    bool Size(ULONGLONG& size) const;
    // Empties the file through the handle that was checked when it was opened.
    bool Empty();

    // Appends a line (ending in lineEnd) in one write. Where the file does not end in lineEnd, as
    // after a writer that was killed, the line starts on a line of its own: lineEnd goes first,
    // after the zero bytes that complete a character of unit bytes. A write that falls short, as on
    // a full disk, is cut off again, so that the file is as it was; false with the last error set
    // (ERROR_DISK_FULL for a full disk).
    bool AppendLine(const std::string& line, const std::string& lineEnd, size_t unit);

private:
    // Whether the file's last bytes are text.
    bool EndsWith(const std::string& text, ULONGLONG size) const;
    // Cuts off what a failed write left, unless another writer has appended since.
    void TakeBack(DWORD written);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
