// What the gatherer has read of a file's content: the CRC-64 of its first block, which can only
// tell files apart, and the CRC-64 of the whole, which tells them equal. Whether a value is known
// is kept apart from the value, so an unreadable file is never taken for one whose CRC is 0.
#pragma once

#include <cstdint>
#include <string>

class CContentSum {
public:
    // Bytes in the first block; a file no longer than this is read whole with it.
    static constexpr uint32_t kFirstBlockBytes = 4096;

    // Reads the file's first block, or, with whole, all of it (from the start in either case).
    // A file that cannot be opened or read is unreadable until a later read succeeds.
    void Read(const std::wstring& path, bool whole);

    bool Unreadable() const { return state_ == State::Unreadable; }
    bool HasFirstBlock() const { return state_ == State::FirstBlock || state_ == State::Whole; }
    bool HasWhole() const { return state_ == State::Whole; }
    uint64_t FirstBlock() const { return firstBlock_; }
    uint64_t Whole() const { return whole_; }

private:
    enum class State { Unknown, Unreadable, FirstBlock, Whole };

    State state_ = State::Unknown;
    uint64_t firstBlock_ = 0;
    uint64_t whole_ = 0;
};
