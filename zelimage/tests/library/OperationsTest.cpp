#include "LibraryFixture.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

using namespace zeltest;

namespace {

std::string Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos ? "" : "\"" + text + "\" lacks \"" + part + "\"";
}

zel::Image ReadBmpPixels(const Bytes& file) {
    zel::Image image;
    EXPECT_EQ(zel::kOk, zel::ReadBmp(file.data(), file.size(), image));
    return image;
}

}  // namespace

TEST_F(LibraryTest, ResizeBothModesAndRefusals) {
    ImageHandle image = Load(Save("r.png", EncodePng(Pattern(64, 48), 2, 8)));
    const int sizes[][3] = {{32, 24, RESIZE_REDUCE}, {128, 100, RESIZE_ENLARGE}, {64, 96, RESIZE_REDUCE}, {1, 1, 1}};
    for (const auto& s : sizes) {
        ImageHandle out = 0;
        ASSERT_EQ(0, lib->ResizeImage(image, &out, s[0], s[1], s[2]));
        EXPECT_EQ(s[0], Info(out).width);
        EXPECT_EQ(s[1], Info(out).height);
        EXPECT_EQ(0, lib->CheckImage(out));
        lib->FreeImage(out);
    }
    ImageHandle out = 77;
    EXPECT_EQ(IMAGE_ERR_BAD_ARGUMENT, lib->ResizeImage(image, &out, 10, 10, 3));
    EXPECT_EQ(0u, out);
    const ImageStatus status = lib->ResizeImage(image, &out, 0, 600, RESIZE_REDUCE);
    EXPECT_EQ(IMAGE_ERR_BAD_SIZE, status);
    EXPECT_EQ("", Contains(ErrorText(image, status), "0"));
    EXPECT_EQ("", Contains(ErrorText(image, status), "600"));
    lib->FreeImage(image);
}

TEST_F(LibraryTest, ReduceColoursWritesPaletteFilesAndSaysWhenNothingIsToDo) {
    ImageHandle image = Load(Save("q.jpg", EncodeJpeg(Pattern(90, 70))));
    const struct { int bits, method, fileBits; size_t maxColors; } cases[] = {
        {8, 2, 8, 256}, {4, 0, 4, 16}, {1, 2, 1, 2}, {16, 2, 16, 0},
    };
    for (const auto& c : cases) {
        ImageHandle reduced = 0;
        ASSERT_EQ(0, lib->ReduceColors(image, &reduced, c.bits, 1 << c.bits, c.method, 0, 1)) << c.bits;
        const zel::Image pixels = Pixels(reduced);
        EXPECT_EQ(c.fileBits == 16 ? 24 : c.fileBits, pixels.bits) << c.bits;
        if (c.maxColors) { EXPECT_LE(pixels.palette.size(), c.maxColors); }
        EXPECT_EQ(90, pixels.width);
        lib->FreeImage(reduced);
    }
    ImageHandle copy = 0;
    ASSERT_EQ(IMAGE_NOTHING_TO_DO, lib->ReduceColors(image, &copy, 24, 1 << 24, 2, 0, 1));
    ASSERT_NE(0u, copy) << "status 7 still hands back an unchanged copy";
    EXPECT_GT(Psnr(Pixels(image), Pixels(copy)), 98);
    EXPECT_EQ("", Contains(ErrorText(image, IMAGE_NOTHING_TO_DO), "unchanged"));
    lib->FreeImage(copy);
    lib->FreeImage(image);
}

TEST_F(LibraryTest, CalendarDrawsReadableTextInsideItsRectangleOnly) {
    ImageHandle image = lib->CreateImage(400, 300, 24, 0);
    ASSERT_NE(0u, image);
    const zel::Image before = Pixels(image);
    const RECT rect = {-30, 120, 250, 340};  // partly outside on two sides
    ASSERT_EQ(0, lib->DrawCalendar(image, 7, 4, 2026, &rect, TRUE, TRUE, FALSE));
    const zel::Image after = Pixels(image);
    int grey = 0;
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 400; ++x) {
            const bool inside = x < rect.right && y >= rect.top;
            if (!inside) { ASSERT_EQ(PixelAt(before, x, y), PixelAt(after, x, y)) << x << "," << y; }
            const zel::Rgb c = PixelAt(after, x, y);
            if (inside && c.r == c.g && c.g == c.b && c.r > 40 && c.r < 215) ++grey;
        }
    EXPECT_GT(grey, 200) << "anti-aliased text leaves intermediate shades";

    ImageHandle clear = lib->CreateImage(300, 300, 24, 0);
    const RECT whole = {10, 10, 290, 290};
    ASSERT_EQ(0, lib->DrawCalendar(clear, 2, 14, 2026, &whole, FALSE, FALSE, TRUE));
    const zel::Image transparent = Pixels(clear);
    int dark = 0, light = 0;
    for (uint8_t v : transparent.pixels) (v < 30 ? dark : (v > 225 ? light : dark)) += 1;
    EXPECT_GT(light, 1000) << "light text on a transparent calendar";
    const RECT tiny = {0, 0, 3, 3};
    EXPECT_EQ(IMAGE_ERR_BAD_ARGUMENT, lib->DrawCalendar(clear, 2, 14, 2026, &tiny, FALSE, FALSE, TRUE));
    EXPECT_EQ(IMAGE_ERR_BAD_ARGUMENT, lib->DrawCalendar(clear, 13, 1, 2026, &whole, FALSE, FALSE, TRUE));
    lib->FreeImage(clear);
    lib->FreeImage(image);
}

TEST_F(LibraryTest, PasteTilesAndCreateRefusesBadSizes) {
    ImageHandle tile = Load(Save("tile.bmp", [] {
        Bytes b;
        zel::WriteBmp(Pattern(30, 20), b);
        return b;
    }()));
    ImageHandle canvas = lib->CreateImage(100, 50, 24, 0);
    for (int y = 0; y < 50; y += 20)
        for (int x = 0; x < 100; x += 30) {
            const RECT r = {x, y, x + 30, y + 20};
            ASSERT_EQ(0, lib->PasteImage(tile, canvas, &r, 0, 0));
        }
    const zel::Image tiled = Pixels(canvas), source = Pattern(30, 20);
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 100; ++x) ASSERT_EQ(PixelAt(source, x % 30, y % 20), PixelAt(tiled, x, y));
    lib->FreeImage(canvas);
    lib->FreeImage(tile);

    EXPECT_EQ(0u, lib->CreateImage(0, 10, 24, 0));
    EXPECT_EQ("", Contains(ErrorText(0, IMAGE_ERR_BAD_SIZE), "has no pixels"));
    EXPECT_EQ(0u, lib->CreateImage(60000, 60000, 24, 0));
    EXPECT_EQ("", Contains(ErrorText(0, IMAGE_ERR_BAD_SIZE), "60000"));
}

TEST_F(LibraryTest, DrawImagePaintsTheSourceRectangle) {
    ImageHandle image = Load(Save("draw.png", EncodePng(Pattern(40, 30), 2, 8)));
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 40, -30, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT target = {0, 0, 40, 30}, source = {0, 0, 40, 30};
    ASSERT_EQ(0, lib->DrawImage(image, dc, &target, &source, 0, 0));
    GdiFlush();
    const zel::Image pattern = Pattern(40, 30);
    const uint8_t* p = static_cast<uint8_t*>(bits) + (10 * 40 + 7) * 4;
    EXPECT_EQ(PixelAt(pattern, 7, 10), (zel::Rgb{p[2], p[1], p[0]}));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    lib->FreeImage(image);
}

TEST_F(LibraryTest, WritingNeedsTheBmpWriterAndNeverAnswersSeven) {
    ImageHandle image = lib->CreateImage(8, 8, 24, 0);
    EXPECT_EQ(IMAGE_ERR_BAD_ARGUMENT, lib->WriteImage(image)) << "nothing prepared";
    FormatInfo jpeg = {};
    ASSERT_EQ(0, lib->GetFormatInfo(1, &jpeg));
    const std::string path = folder + "\\w.bmp";
    EXPECT_EQ(IMAGE_ERR_NO_WRITER, lib->BeginWrite(path.c_str(), image, &jpeg));
    FormatInfo lookalike = BmpWriter();
    std::strcpy(lookalike.tag, "BMPX");
    EXPECT_EQ(0, lib->BeginWrite(path.c_str(), image, &lookalike));
    const FormatInfo writer = BmpWriter();
    const std::string badPath = folder + "\\no such folder\\w.bmp";
    ASSERT_EQ(0, lib->BeginWrite(badPath.c_str(), image, &writer));
    const ImageStatus status = lib->WriteImage(image);
    EXPECT_EQ(IMAGE_ERR_WRITE, status);
    EXPECT_EQ("", Contains(ErrorText(image, status), "could not be written"));
    int32_t flag = -1;
    EXPECT_EQ(0, lib->GetDepthFlag(image, &flag));
    EXPECT_EQ(0, flag) << "a true-colour display shows every colour";
    lib->FreeImage(image);
    EXPECT_EQ(IMAGE_ERR_BAD_HANDLE, lib->CheckImage(image));
}

// The wallpaper file is rewritten on every change: a smaller picture leaves
// nothing of the larger one behind, no temporary file stays, and a reader
// that has the old file open keeps reading the old picture.
TEST_F(LibraryTest, RewritingTheWallpaperFile) {
    const std::string path = folder + "\\again.bmp";
    const FormatInfo writer = BmpWriter();
    const auto write = [&](ImageHandle image) {
        EXPECT_EQ(0, lib->BeginWrite(path.c_str(), image, &writer));
        return lib->WriteImage(image);
    };
    const auto fileBytes = [&] {
        std::ifstream in(path, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    ImageHandle large = lib->CreateImage(300, 200, 24, 0), small = lib->CreateImage(5, 3, 24, 0);
    ImageHandle other = Load(Save("other.png", EncodePng(Pattern(300, 200), 2, 8)));
    ASSERT_EQ(0, write(large));
    ASSERT_EQ(0, write(small));
    Bytes smallFile;
    zel::WriteBmp(Pixels(small), smallFile);
    EXPECT_TRUE(smallFile == fileBytes()) << "exactly the small picture's file";

    ASSERT_EQ(0, write(large));
    const Bytes largeFile = fileBytes();
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    // Windows lets the new file take the name; Wine refuses while the old one
    // is open, and then the old one must still be there, whole.
    const ImageStatus status = write(other);
    Bytes seen(largeFile.size());
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(reader, seen.data(), DWORD(seen.size()), &got, nullptr));
    CloseHandle(reader);
    EXPECT_TRUE(seen == largeFile) << "the open file did not change under its reader";
    if (status == 0) EXPECT_TRUE(SamePixels(Pattern(300, 200), ReadBmpPixels(fileBytes())));
    else EXPECT_TRUE(largeFile == fileBytes()) << "the old picture is kept";
    ASSERT_EQ(0, write(other)) << "once nobody holds it";
    EXPECT_TRUE(SamePixels(Pattern(300, 200), ReadBmpPixels(fileBytes())));

    const std::string secondName = folder + "\\again-too.bmp";
    ASSERT_TRUE(CreateHardLinkA(secondName.c_str(), path.c_str(), nullptr));
    ASSERT_EQ(0, write(small));
    std::ifstream second(secondName, std::ios::binary);
    EXPECT_TRUE(SamePixels(Pattern(300, 200), ReadBmpPixels(Bytes((std::istreambuf_iterator<char>(second)),
                                                                  std::istreambuf_iterator<char>()))))
        << "a second name of the old file keeps the old picture";

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\again.bmp.*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "a temporary file was left: " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    for (ImageHandle image : {large, small, other}) lib->FreeImage(image);
}

TEST_F(LibraryTest, DamagedAndHostileFilesFailWithAMessage) {
    const Bytes jpeg = EncodeJpeg(Pattern(64, 64));
    const Bytes png = EncodePng(Pattern(64, 64), 2, 8);
    Bytes hugeBmp;
    zel::WriteBmp(Pattern(4, 4), hugeBmp);
    hugeBmp[18] = 0x70; hugeBmp[19] = 0x11; hugeBmp[20] = 0x01;  // width 70000
    Bytes zeroBmp = hugeBmp;
    zeroBmp[18] = zeroBmp[19] = zeroBmp[20] = 0;
    const struct { const char* name; Bytes bytes; ImageStatus status; const char* words; } cases[] = {
        {"cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + ptrdiff_t(jpeg.size() / 2)), IMAGE_ERR_DAMAGED, "damaged or truncated"},
        {"cut.png", Bytes(png.begin(), png.begin() + ptrdiff_t(png.size() / 2)), IMAGE_ERR_DAMAGED, "damaged or truncated"},
        {"huge.bmp", hugeBmp, IMAGE_ERR_BAD_SIZE, "70000"},
        {"zero.bmp", zeroBmp, IMAGE_ERR_BAD_SIZE, "has no pixels"},
        {"noise.xyz", Bytes(500, 0x3C), IMAGE_ERR_UNSUPPORTED, "format is not supported"},
        {"empty.jpg", Bytes(), IMAGE_ERR_DAMAGED, "damaged"},
    };
    for (const auto& c : cases) {
        ImageHandle image = 0;
        const ImageStatus status = OpenAndRead(Save(c.name, c.bytes), image);
        EXPECT_EQ(c.status, status) << c.name;
        EXPECT_EQ("", Contains(ErrorText(image, status), c.words)) << c.name;
        lib->FreeImage(image);
    }
    ImageHandle image = 0;
    EXPECT_EQ(IMAGE_ERR_OPEN, OpenAndRead(folder + "\\missing.jpg", image));
    EXPECT_EQ("", Contains(ErrorText(0, IMAGE_ERR_OPEN), "could not be opened"));
    char small[8];
    EXPECT_EQ(0, lib->GetErrorText(0, IMAGE_ERR_OPEN, small, sizeof small));
    EXPECT_EQ(7u, std::strlen(small));
}

TEST_F(LibraryTest, CallsFromSeveralThreadsAtOnce) {
    const std::string jpeg = Save("mt.jpg", EncodeJpeg(Pattern(300, 200)));
    ImageHandle shared = Load(jpeg);
    const zel::Image reference = [&] {
        ImageHandle out = 0;
        lib->ResizeImage(shared, &out, 120, 90, RESIZE_REDUCE);
        zel::Image pixels = Pixels(out);
        lib->FreeImage(out);
        return pixels;
    }();
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                ImageHandle own = 0, resized = 0, reduced = 0;
                if (OpenAndRead(jpeg, own) != 0) ++failures;
                if (lib->ResizeImage(t % 2 ? shared : own, &resized, 120, 90, RESIZE_REDUCE) != 0) ++failures;
                const RECT r = {5, 5, 115, 85};
                if (lib->DrawCalendar(own, 3, t + 1, 2026, &r, TRUE, TRUE, t % 2) != 0) ++failures;
                if (lib->ReduceColors(own, &reduced, 8, 256, 2, 0, 1) != 0) ++failures;
                if (Psnr(reference, Pixels(resized)) < 98) ++failures;
                lib->FreeImage(reduced);
                lib->FreeImage(resized);
                lib->FreeImage(own);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(0, failures.load());
    lib->FreeImage(shared);
}

// A BMP that carries a PNG stream reaches the PNG decoder, and a 2-bit
// palette file reads: both were once called damaged.
TEST_F(LibraryTest, BmpCarryingAPngStreamAndTwoBitPalettes) {
    const zel::Image picture = Pattern(23, 9);
    BmpRecipe carrier;
    carrier.width = 23; carrier.height = 9; carrier.bits = 0; carrier.compression = 5;
    carrier.pixels = EncodePng(picture, 2, 8);
    ImageHandle image = Load(Save("carrier.bmp", BuildBmp(carrier)));
    EXPECT_TRUE(SamePixels(picture, Pixels(image)));
    lib->FreeImage(image);

    BmpRecipe twoBit;
    twoBit.width = 3; twoBit.height = 1; twoBit.bits = 2;
    twoBit.palette = {zel::Rgb{}, zel::Rgb{255, 0, 0}, zel::Rgb{0, 0, 255}};
    twoBit.pixels = {0x24, 0, 0, 0};  // indices 0 2 1
    image = Load(Save("two-bit.bmp", BuildBmp(twoBit)));
    const zel::Image pixels = Pixels(image);
    EXPECT_EQ((zel::Rgb{0, 0, 255}), PixelAt(pixels, 1, 0));
    EXPECT_EQ((zel::Rgb{255, 0, 0}), PixelAt(pixels, 2, 0));
    lib->FreeImage(image);
}

TEST_F(LibraryTest, APictureBehindAPathLongerThanMaxPathOpens) {
    std::string deep = folder;
    while (deep.size() < MAX_PATH + 40) {
        deep += "\\a-folder-name-long-enough-to-add-up";
        const std::wstring wide(deep.begin(), deep.end());
        CreateDirectoryW((L"\\\\?\\" + wide).c_str(), nullptr);
    }
    const std::string path = deep + "\\deep.bmp";
    const std::wstring wide(path.begin(), path.end());
    Bytes bmp;
    zel::WriteBmp(Pattern(6, 4), bmp);
    HANDLE file = CreateFileW((L"\\\\?\\" + wide).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, bmp.data(), DWORD(bmp.size()), &written, nullptr);
    CloseHandle(file);

    // Spelt with "/" and ".." parts too, as a command line may give it.
    std::string roundabout = deep + "\\..\\" + deep.substr(deep.rfind('\\') + 1) + "\\.\\deep.bmp";
    std::replace(roundabout.begin() + 3, roundabout.end(), '\\', '/');
    for (const std::string& spelt : {path, roundabout}) {
        ImageHandle image = Load(spelt);
        ASSERT_NE(0, image) << spelt;
        EXPECT_TRUE(SamePixels(Pattern(6, 4), Pixels(image)));
        lib->FreeImage(image);
    }
}
