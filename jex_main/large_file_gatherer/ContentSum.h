// What the gatherer has read of a file's content: the CRC-64 of its ends (its first and its last
// block), which can only tell files apart, and the CRC-64 of the whole, which tells them equal.
// Whether a value is known is kept apart from the value, so an unreadable file is never taken for
// one whose CRC is 0.
#pragma once

#include "platform/Windows.h"

#include <cstdint>
#include <string>

class CContentSum {
public:
    // Bytes in a block at either end; a file of up to kWholeAtOnce bytes is read whole at once,
    // which costs no more than reading its ends.
    static constexpr uint32_t kBlockBytes = 4096;
    static constexpr uint32_t kWholeAtOnce = 64 * 1024;

    // Reads the ends of a file of the given size, or, with whole, all of it (then the ends come with
    // it). The file at the path must be the one its folder's listing found there (its volume and
    // file index): what took its name since, or a link at the name or on the way, is not read. A
    // file that cannot be opened or read, or is not that one, is unreadable.
    void Read(const std::wstring& path, DWORD volume, uint64_t fileIndex, uint64_t size, bool whole);

    bool Unreadable() const { return state_ == State::Unreadable; }
    bool Has(bool whole) const { return state_ == State::Whole || (!whole && state_ == State::Ends); }
    bool SameEnds(const CContentSum& other) const { return first_ == other.first_ && last_ == other.last_; }
    uint64_t First() const { return first_; }
    uint64_t Last() const { return last_; }
    uint64_t Whole() const { return whole_; }

private:
    enum class State { Unknown, Unreadable, Ends, Whole };

    bool ReadEnds(HANDLE file, uint64_t size);
    bool ReadWhole(HANDLE file, uint64_t size);

    State state_ = State::Unknown;
    uint64_t first_ = 0;  // the first kBlockBytes bytes
    uint64_t last_ = 0;   // the bytes from size - kBlockBytes to size
    uint64_t whole_ = 0;
};
