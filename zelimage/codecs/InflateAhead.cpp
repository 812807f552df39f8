#include "InflateAhead.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

namespace zel {

namespace {

constexpr size_t kChunkHeader = 8;     // length, type
constexpr size_t kChunkOverhead = 12;  // and the CRC after the data
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr size_t kStoredBlockHeader = 5;
constexpr size_t kStoredBlockMax = 65535;
// Each piece handed to libpng is one IDAT chunk of a few stored blocks; a
// few pieces in flight keep both threads busy within half a megabyte.
constexpr size_t kBlocksPerPiece = 2;
constexpr size_t kPieces = 4;
constexpr size_t kPieceCapacity =
    kChunkHeader + 2 + kBlocksPerPiece * (kStoredBlockHeader + kStoredBlockMax) + kStoredBlockHeader + 4 + 4;

uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24); p[1] = uint8_t(v >> 16); p[2] = uint8_t(v >> 8); p[3] = uint8_t(v);
}

void PutStoredBlockHeader(uint8_t* p, bool final, size_t length) {
    p[0] = final ? 1 : 0;  // BFINAL, BTYPE 00
    p[1] = uint8_t(length); p[2] = uint8_t(length >> 8);
    p[3] = uint8_t(~length); p[4] = uint8_t(~length >> 8);
}

}  // namespace

bool FindIdatRun(const uint8_t* data, size_t size, IdatRun& run) {
    size_t pos = 8;  // after the signature
    bool inRun = false;
    while (size >= pos && size - pos >= kChunkOverhead) {
        const bool idat = std::memcmp(data + pos + 4, "IDAT", 4) == 0;
        if (!idat && inRun) break;
        const uint32_t length = Be32(data + pos);
        if (length > kMaxChunkLength || length > size - pos - kChunkOverhead) return false;
        if (idat && !inRun) {
            run.begin = pos;
            inRun = true;
        }
        if (!inRun && crc32(crc32(0, nullptr, 0), data + pos + 4, uInt(length + 4)) != Be32(data + pos + 8 + length))
            return false;
        pos += kChunkOverhead + length;
    }
    run.end = pos;
    return inRun;
}

InflateAhead::InflateAhead(const uint8_t* data, const IdatRun& run) : data_(data), run_(run), nextChunk_(run.begin) {}

InflateAhead::~InflateAhead() {
    stop_.store(true);
    Wake();
    if (worker_.joinable()) worker_.join();
    if (streamReady_) inflateEnd(&stream_);
}

bool InflateAhead::Start() {
    try {
        ring_.resize(kPieces);
        for (Piece& piece : ring_) piece.bytes.resize(kPieceCapacity);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Window size from the stream's own header, as libpng asks of zlib.
    if (inflateInit2(&stream_, 0) != Z_OK) return false;
    streamReady_ = true;
    // The chunks' CRCs guard the data instead, as in libpng (which only warns
    // about a wrong zlib checksum); they cover far fewer bytes.
    inflateValidate(&stream_, 0);
    try {
        worker_ = std::thread(&InflateAhead::Produce, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

size_t InflateAhead::Read(uint8_t* out, size_t length) {
    size_t done = 0;
    while (done < length && !ended_) {
        if (!reading_) {
            WaitUntil([this] { return produced_.load(std::memory_order_acquire) > consumed_.load(std::memory_order_relaxed); });
            reading_ = &ring_[consumed_.load(std::memory_order_relaxed) % kPieces];
            readPos_ = 0;
            lastInHand_ = reading_->last;
        }
        const size_t n = std::min(length - done, reading_->used - readPos_);
        std::memcpy(out + done, reading_->bytes.data() + readPos_, n);
        done += n;
        readPos_ += n;
        if (readPos_ == reading_->used) {
            ended_ = reading_->last;
            reading_ = nullptr;
            consumed_.fetch_add(1, std::memory_order_release);
            Wake();
        }
    }
    return done;
}

bool InflateAhead::Failed() const { return ended_ && refused_; }

std::string InflateAhead::Problem() const { return lastInHand_ ? problem_ : std::string(); }

void InflateAhead::Produce() {
    for (bool first = true;; first = false) {
        WaitUntil([this] {
            return stop_.load() || produced_.load(std::memory_order_relaxed) -
                                           consumed_.load(std::memory_order_acquire) < kPieces;
        });
        if (stop_.load()) return;
        Piece& piece = ring_[produced_.load(std::memory_order_relaxed) % kPieces];
        piece.last = FillPiece(piece, first);
        produced_.fetch_add(1, std::memory_order_release);
        Wake();
        if (piece.last) return;
    }
}

// A wait through Wine's server costs more than making a piece takes, so the
// other thread is given a little time before this one goes to sleep.
template <class Ready>
void InflateAhead::WaitUntil(Ready ready) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, ready);
            return;
        }
        std::this_thread::yield();
    }
}

// Taking the lock orders the change before a sleeper's last look at it.
void InflateAhead::Wake() {
    { std::lock_guard<std::mutex> hold(lock_); }
    changed_.notify_all();
}

// One IDAT chunk of stored blocks; true when it is the last. Where zlib
// refuses the original data, or it ends early, the stored stream ends after
// the last good byte, and libpng judges as it would the original: short of
// data unless it already has every row. Where a CRC fails it simply stops,
// and Read reports the failure.
bool InflateAhead::FillPiece(Piece& piece, bool first) {
    uint8_t* out = piece.bytes.data();
    size_t pos = kChunkHeader;
    if (first) {
        out[pos++] = 0x78;  // zlib header: deflate, 32K window, no dictionary
        out[pos++] = 0x01;
    }
    bool last = false;
    for (size_t block = 0; block < kBlocksPerPiece && !last; ++block) {
        uint8_t* header = out + pos;
        stream_.next_out = header + kStoredBlockHeader;
        stream_.avail_out = uInt(kStoredBlockMax);
        while (stream_.avail_out > 0) {
            if (stream_.avail_in == 0 && !FeedInput()) {
                if (!refused_) problem_ = "the image data ends early";
                last = true;
                break;
            }
            const int result = inflate(&stream_, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                last = true;
                break;
            }
            if (result != Z_OK) {
                problem_ = stream_.msg ? stream_.msg : "the image data is damaged";
                last = true;
                break;
            }
        }
        const size_t length = kStoredBlockMax - stream_.avail_out;
        PutStoredBlockHeader(header, false, length);
        pos += kStoredBlockHeader + length;
    }
    if (last && !refused_) {
        // The closing block, and a checksum nobody checks.
        PutStoredBlockHeader(out + pos, true, 0);
        pos += kStoredBlockHeader;
        PutBe32(out + pos, uint32_t(stream_.adler));
        pos += 4;
    }
    PutBe32(out, uint32_t(pos - kChunkHeader));
    std::memcpy(out + 4, "IDAT", 4);
    PutBe32(out + pos, 0);  // CRC: the reader is told not to check it
    piece.used = pos + 4;
    return last;
}

// The next IDAT chunk's data, once its CRC matches; false at the end of the
// run or at a chunk whose CRC does not match (then with the problem said).
bool InflateAhead::FeedInput() {
    while (nextChunk_ < run_.end) {
        const uint8_t* chunk = data_ + nextChunk_;
        const uint32_t length = Be32(chunk);
        nextChunk_ += kChunkOverhead + length;
        if (crc32(crc32(0, nullptr, 0), chunk + 4, uInt(length + 4)) != Be32(chunk + kChunkHeader + length)) {
            problem_ = "CRC error";
            refused_ = true;
            return false;
        }
        if (length == 0) continue;
        stream_.next_in = const_cast<Bytef*>(chunk + kChunkHeader);
        stream_.avail_in = uInt(length);
        return true;
    }
    return false;
}

}  // namespace zel
