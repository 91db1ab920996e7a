#include "update/EntryInflater.h"

#include "update/ZipArchive.h"
#include "update/ZipStreams.h"

#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Four slots let inflating run ahead while a write waits on the disk; a slot is large enough
// that handing it over costs nothing next to inflating it, and that inflate, which copies the
// end of each call's output into its 32 KiB window, seldom stops.
constexpr size_t kSlotCount = 4;
constexpr size_t kSlotBytes = 1 << 20;
constexpr size_t kInputBytes = 256 << 10;

struct Piece {
    const uint8_t* data;
    size_t length;
};

} // namespace

// Sums the CRC of the pieces handed to it and writes them, in order, on a thread of its own; in
// the caller's thread when no thread can be started. Destroying it stops the thread and joins it.
class CEntryInflater::CWriter {
public:
    CWriter(HANDLE file, size_t slotCount) : file_(file), slotCount_(slotCount)
    {
        try {
            thread_ = std::thread(&CWriter::Run, this);
        } catch (const std::system_error&) {
            // Each piece is then written as it is handed over.
        }
    }

    ~CWriter()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        changed_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    // Waits until fewer than slotCount pieces are unwritten, so that the slot handed over
    // slotCount pieces ago may be filled again; false once a write has failed.
    bool WaitForSlot()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return failed_ || unwritten_ < slotCount_; });
        return !failed_;
    }

    void Hand(const uint8_t* data, size_t length)
    {
        if (!thread_.joinable()) {
            failed_ = failed_ || !Write({data, length});
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back({data, length});
            ++unwritten_;
        }
        changed_.notify_all();
    }

    // The Windows error of the write that failed.
    DWORD Error() const { return error_; }

    // Waits until every piece handed over is written; false when one was not.
    bool Finish(uint32_t& crc)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finishing_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable())
            thread_.join();
        crc = crc_;
        return !failed_;
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stopping_ || finishing_ || !queue_.empty(); });
            if (stopping_ || queue_.empty())
                return;
            const Piece piece = queue_.front();
            queue_.pop_front();
            lock.unlock();
            const bool written = Write(piece);
            lock.lock();
            --unwritten_;
            failed_ = !written;
            changed_.notify_all();
            if (failed_)
                return;
        }
    }

    bool Write(const Piece& piece)
    {
        crc_ = static_cast<uint32_t>(crc32_z(crc_, piece.data, piece.length));
        DWORD done = 0;
        if (WriteFile(file_, piece.data, static_cast<DWORD>(piece.length), &done, nullptr) && done == piece.length)
            return true;
        // Read by the caller's thread only once this one has been joined or has told of the failure.
        error_ = GetLastError();
        return false;
    }

    const HANDLE file_;
    const size_t slotCount_;
    uint32_t crc_ = 0;  // only the writing side touches it until the thread is joined
    DWORD error_ = ERROR_SUCCESS;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> queue_;
    size_t unwritten_ = 0;
    bool failed_ = false;
    bool finishing_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

CEntryInflater::CEntryInflater() : input_(kInputBytes), slots_(kSlotCount, std::vector<uint8_t>(kSlotBytes)) {}

uint32_t CEntryInflater::Extract(const ZipSource& source, const StoredEntry& entry, HANDLE file)
{
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return ZIP_INFLATE_ERROR;
    uint32_t result = ZIP_OK;
    uint32_t crc = 0;
    {
        CWriter writer(file, slots_.size());
        result = Inflate(stream, source, entry, writer);
        if (result == ZIP_OK && !writer.Finish(crc))
            result = ZIP_WRITE_ERROR;
        // The writer has ended or told of its failure by then: its error is settled.
        if (result == ZIP_WRITE_ERROR)
            writeError_ = writer.Error();
    }
    inflateEnd(&stream);
    if (result == ZIP_OK && crc != entry.crc)
        result = ZIP_CHECK_FAILED;
    return result;
}

uint32_t CEntryInflater::Inflate(z_stream& stream, const ZipSource& source, const StoredEntry& entry, CWriter& writer)
{
    uint64_t position = entry.offset;
    uint64_t unread = entry.compressedSize;
    uint64_t produced = 0;
    int status = Z_OK;
    for (size_t slot = 0; status == Z_OK && produced < entry.uncompressedSize; slot = (slot + 1) % slots_.size()) {
        if (!writer.WaitForSlot())
            return ZIP_WRITE_ERROR;
        std::vector<uint8_t>& out = slots_[slot];
        const uInt room = static_cast<uInt>(std::min<uint64_t>(out.size(), entry.uncompressedSize - produced));
        stream.next_out = out.data();
        stream.avail_out = room;
        while (status == Z_OK && stream.avail_out > 0) {
            if (stream.avail_in == 0 && unread > 0) {
                const size_t read = source.ReadAt(position, input_.data(),
                                                  static_cast<size_t>(std::min<uint64_t>(input_.size(), unread)));
                if (read == 0)
                    return ZIP_READ_ERROR;
                position += read;
                unread -= read;
                stream.next_in = input_.data();
                stream.avail_in = static_cast<uInt>(read);
            }
            // Without input left, the stream's end is missing: inflate then reports no progress.
            status = inflate(&stream, Z_NO_FLUSH);
        }
        const uInt length = room - stream.avail_out;
        produced += length;
        if (length > 0)
            writer.Hand(out.data(), length);
    }
    if (status != Z_OK && status != Z_STREAM_END)
        return ZIP_INFLATE_ERROR;
    return produced == entry.uncompressedSize ? ZIP_OK : ZIP_INFLATE_ERROR;
}
