// Inflating a PNG's pixel data on a second core while libpng works on the
// first. libpng inflates and unfilters each row in turn on one thread; here
// a helper thread inflates the IDAT stream with zlib and hands libpng the
// result as IDAT chunks of stored (uncompressed) deflate blocks, so that
// libpng's own work (filters, transformations) overlaps the inflating.
// Everything else about the file still goes through libpng unchanged, and
// the pixel data is judged as libpng would: a chunk whose CRC does not match
// stops the picture, data zlib refuses stops it unless every row came before;
// zlib's own checksum is not checked (libpng only warns about it).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <zlib.h>

namespace zel {

// Where the consecutive IDAT chunks of a PNG file lie: [begin, end).
struct IdatRun {
    size_t begin = 0;
    size_t end = 0;
};

// False when the chunks up to the end of the first run of IDAT chunks are
// not well formed, or those before it fail their CRC; libpng then reads the
// file as it is and judges it. (The IDAT chunks' own CRCs are checked as
// they are inflated.)
bool FindIdatRun(const uint8_t* data, size_t size, IdatRun& run);

class InflateAhead {
public:
    // `data` must outlive the object; `run` comes from FindIdatRun.
    InflateAhead(const uint8_t* data, const IdatRun& run);
    ~InflateAhead();
    InflateAhead(const InflateAhead&) = delete;
    InflateAhead& operator=(const InflateAhead&) = delete;

    // False when no thread could be had.
    bool Start();

    // Copies up to `length` bytes of the replacement IDAT chunks; fewer (down
    // to none) once they end. Where zlib refused the original data, or it
    // ended early, the replacement stream ends after the last good byte;
    // where a chunk's CRC failed it breaks off there, and then Failed().
    // Read, Failed and Problem belong to one thread, libpng's.
    size_t Read(uint8_t* out, size_t length);
    bool Failed() const;

    // What was wrong with the pixel data, once Read has reached the last
    // piece of the replacement chunks; else empty.
    std::string Problem() const;

private:
    struct Piece {
        std::vector<uint8_t> bytes;
        size_t used = 0;
        bool last = false;
    };

    void Produce();
    bool FillPiece(Piece& piece, bool first);
    bool FeedInput();
    template <class Ready>
    void WaitUntil(Ready ready);
    void Wake();

    const uint8_t* data_;
    IdatRun run_;
    // The helper thread's: the input position and zlib's state.
    size_t nextChunk_;
    z_stream stream_ = {};
    bool streamReady_ = false;
    std::string problem_;  // written before the last piece is handed over
    bool refused_ = false;  // a CRC failed: the replacement stream breaks off

    // Pieces go round the ring: the helper fills one while libpng reads another.
    std::vector<Piece> ring_;
    std::atomic<size_t> produced_{0};  // pieces handed over so far
    std::atomic<size_t> consumed_{0};  // pieces libpng has read to the end
    std::atomic<bool> stop_{false};
    std::mutex lock_;  // only for sleeping and waking
    std::condition_variable changed_;

    // libpng's thread's.
    Piece* reading_ = nullptr;
    size_t readPos_ = 0;
    bool lastInHand_ = false;
    bool ended_ = false;

    std::thread worker_;
};

}  // namespace zel
