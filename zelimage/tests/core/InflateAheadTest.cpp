#include "../../codecs/Decoders.h"
#include "../../codecs/InflateAhead.h"
#include "../TestImages.h"

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <random>

using namespace zel;
using namespace zeltest;

namespace {

struct Chunk {
    std::string type;
    Bytes data;
};

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

std::vector<Chunk> ChunksOf(const Bytes& file, size_t from) {
    std::vector<Chunk> chunks;
    for (size_t pos = from; pos + 12 <= file.size();) {
        const uint32_t length = Be32(&file[pos]);
        chunks.push_back({std::string(file.begin() + ptrdiff_t(pos) + 4, file.begin() + ptrdiff_t(pos) + 8),
                          Bytes(file.begin() + ptrdiff_t(pos) + 8, file.begin() + ptrdiff_t(pos + 8 + length))});
        pos += 12 + length;
    }
    return chunks;
}

Bytes IdatData(const std::vector<Chunk>& chunks) {
    Bytes data;
    for (const Chunk& c : chunks)
        if (c.type == "IDAT") data.insert(data.end(), c.data.begin(), c.data.end());
    return data;
}

// What zlib makes of a stream, complete or not (then `ended` is false). The
// replacement streams carry no real checksum: libpng is told to ignore it.
Bytes Inflated(const Bytes& compressed, bool* ended = nullptr) {
    z_stream z = {};
    inflateInit(&z);
    inflateValidate(&z, 0);
    Bytes out(1 << 22);
    z.next_in = const_cast<Bytef*>(compressed.data());
    z.avail_in = uInt(compressed.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_SYNC_FLUSH);
    out.resize(z.total_out);
    inflateEnd(&z);
    if (ended) *ended = result == Z_STREAM_END;
    return out;
}

// A PNG that deflate cannot shrink much: well over the size worth a thread.
Bytes NoisyPng() {
    Image noisy = Pattern(600, 300);
    std::mt19937 random(7);
    for (auto& v : noisy.pixels) v = uint8_t(v ^ (random() & 0x3F));
    return EncodePng(noisy, PNG_COLOR_TYPE_RGB, 8);
}

Bytes AllFrom(InflateAhead& ahead) {
    Bytes out, piece(1000);
    for (size_t got; (got = ahead.Read(piece.data(), piece.size())) > 0;) out.insert(out.end(), piece.begin(), piece.begin() + ptrdiff_t(got));
    return out;
}

void PutChunk(Bytes& file, const std::string& type, const Bytes& data) {
    const uint32_t length = uint32_t(data.size());
    const uint8_t header[8] = {uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length),
                               uint8_t(type[0]), uint8_t(type[1]), uint8_t(type[2]), uint8_t(type[3])};
    file.insert(file.end(), header, header + 8);
    file.insert(file.end(), data.begin(), data.end());
    uLong crc = crc32(crc32(0, nullptr, 0), header + 4, 4);
    crc = crc32(crc, data.data(), uInt(data.size()));
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(uint8_t(crc >> shift));
}

}  // namespace

TEST(InflateAhead, ReplacementChunksCarryTheSamePixelData) {
    const Bytes png = NoisyPng();
    IdatRun run;
    ASSERT_TRUE(FindIdatRun(png.data(), png.size(), run));
    EXPECT_EQ("IDAT", std::string(png.begin() + ptrdiff_t(run.begin) + 4, png.begin() + ptrdiff_t(run.begin) + 8));
    EXPECT_EQ("IEND", std::string(png.begin() + ptrdiff_t(run.end) + 4, png.begin() + ptrdiff_t(run.end) + 8));

    InflateAhead ahead(png.data(), run);
    ASSERT_TRUE(ahead.Start());
    const std::vector<Chunk> replaced = ChunksOf(AllFrom(ahead), 0);
    EXPECT_FALSE(ahead.Failed());
    ASSERT_GT(replaced.size(), 1u) << "several pieces";
    for (const Chunk& c : replaced) EXPECT_EQ("IDAT", c.type);
    bool ended = false;
    const Bytes original = Inflated(IdatData(ChunksOf(png, 8)));
    ASSERT_GT(original.size(), 100000u);
    EXPECT_TRUE(original == Inflated(IdatData(replaced), &ended));
    EXPECT_TRUE(ended) << "the replacement stream ends properly";
}

// Cut short or refused by zlib: the replacement stream ends after the last
// good byte, for libpng to judge. Failing a CRC: it breaks off.
TEST(InflateAhead, DamagedOrShortDataEndsAtTheLastGoodByte) {
    const Bytes png = NoisyPng();
    const std::vector<Chunk> chunks = ChunksOf(png, 8);
    const Bytes data = IdatData(chunks);
    enum Damage { kCut, kBadBlockType, kStaleCrc };
    for (const Damage damage : {kCut, kBadBlockType, kStaleCrc}) {
        Bytes damaged = data;
        if (damage == kCut) damaged.resize(data.size() / 2);
        if (damage == kBadBlockType) damaged[2] |= 0x06;  // the first block's type: 11 is no type
        Bytes file(png.begin(), png.begin() + 8);
        for (const Chunk& c : chunks)
            if (c.type != "IDAT" && c.type != "IEND") PutChunk(file, c.type, c.data);
        const size_t half = damaged.size() / 2;
        PutChunk(file, "IDAT", Bytes(damaged.begin(), damaged.begin() + ptrdiff_t(half)));
        PutChunk(file, "IDAT", Bytes(damaged.begin() + ptrdiff_t(half), damaged.end()));
        if (damage == kStaleCrc) file[file.size() - 4 - half / 2] ^= 0x01;  // inside the second chunk
        PutChunk(file, "IEND", {});
        IdatRun run;
        ASSERT_TRUE(FindIdatRun(file.data(), file.size(), run));
        InflateAhead ahead(file.data(), run);
        ASSERT_TRUE(ahead.Start());
        bool ended = false;
        const Bytes out = Inflated(IdatData(ChunksOf(AllFrom(ahead), 0)), &ended);
        EXPECT_FALSE(ahead.Problem().empty()) << damage;
        EXPECT_EQ(damage == kStaleCrc, ahead.Failed()) << damage;
        EXPECT_EQ(damage != kStaleCrc, ended) << damage;
        if (damage == kCut) { EXPECT_TRUE(Inflated(damaged) == out) << "all zlib could make of the first half"; }
        if (damage == kBadBlockType) { EXPECT_TRUE(out.empty()); }
        if (damage == kStaleCrc) {
            EXPECT_EQ("CRC error", ahead.Problem());
            EXPECT_TRUE(Inflated(Bytes(data.begin(), data.begin() + ptrdiff_t(half))) == out)
                << "the first chunk, and nothing of the second";
        }
        // None of them leaves libpng enough rows.
        Image image;
        std::string problem;
        EXPECT_EQ(kErrDamaged, DecodePng(file.data(), file.size(), image, &problem)) << damage;
        EXPECT_EQ(0u, problem.find("IDAT: ")) << problem;
    }
}

TEST(InflateAhead, OnlyWellFormedChunksBeforeThePixelData) {
    const Bytes png = NoisyPng();
    IdatRun run;
    Bytes cut(png.begin(), png.begin() + ptrdiff_t(png.size() / 2));
    EXPECT_FALSE(FindIdatRun(cut.data(), cut.size(), run)) << "an IDAT chunk cut short";
    Bytes badHeader = png;
    badHeader[20] ^= 1;  // IHDR height: its CRC no longer matches
    EXPECT_FALSE(FindIdatRun(badHeader.data(), badHeader.size(), run));
    Bytes noPixels(png.begin(), png.begin() + 33);  // signature and IHDR only
    EXPECT_FALSE(FindIdatRun(noPixels.data(), noPixels.size(), run));
    // Stopping the helper early (libpng refused the header) must not hang.
    ASSERT_TRUE(FindIdatRun(png.data(), png.size(), run));
    InflateAhead abandoned(png.data(), run);
    EXPECT_TRUE(abandoned.Start());
}
