#include "LibraryFixture.h"

#include <atomic>
#include <fstream>
#include <iterator>

ImageLibrary* LibraryTest::lib = nullptr;
std::string LibraryTest::folder;

void LibraryTest::SetUpTestSuite() {
    if (lib) return;
    HMODULE module = LoadLibraryA((DistDir() + "\\ZELIMAGE\\ZELIMAGE.DLL").c_str());  // kept for the whole run
    ASSERT_NE(nullptr, module);
    auto entry = reinterpret_cast<GetImageLibraryProc>(reinterpret_cast<void (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
    ASSERT_NE(nullptr, entry);
    lib = entry();
    ASSERT_NE(nullptr, lib);
    folder = MakeTempFolder("zelimage");
}

std::string LibraryTest::Save(const std::string& name, const zeltest::Bytes& bytes) {
    const std::string path = folder + "\\" + name;
    EXPECT_TRUE(WriteFileBytes(path, std::string(bytes.begin(), bytes.end())));
    return path;
}

ImageStatus LibraryTest::OpenAndRead(const std::string& path, ImageHandle& image) {
    image = 0;
    int32_t ignored = 0;
    ImageStatus status = lib->OpenImage(path.c_str(), &image, &ignored);
    if (status != 0) return status;
    status = lib->ReadImage(image);
    if (status == 0) lib->CloseSource(image);
    return status;
}

ImageHandle LibraryTest::Load(const std::string& path) {
    ImageHandle image = 0;
    EXPECT_EQ(0, OpenAndRead(path, image)) << path << ": " << ErrorText(image, OpenAndRead(path, image));
    return image;
}

FormatInfo LibraryTest::BmpWriter() {
    FormatInfo info = {};
    EXPECT_EQ(0, lib->GetFormatInfo(0, &info));
    return info;
}

zel::Image LibraryTest::Pixels(ImageHandle image) {
    static std::atomic<int> counter{0};
    const std::string path = folder + "\\out" + std::to_string(++counter) + ".bmp";
    const FormatInfo writer = BmpWriter();
    const int32_t standard[2] = {2, 0};
    EXPECT_EQ(0, lib->BeginWrite(path.c_str(), image, &writer));
    EXPECT_EQ(0, lib->SetWriteOption(image, WRITE_OPTION_STANDARD, standard));
    EXPECT_EQ(0, lib->WriteImage(image));
    std::ifstream in(path, std::ios::binary);
    zeltest::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    zel::Image pixels;
    EXPECT_EQ(zel::kOk, zel::ReadBmp(bytes.data(), bytes.size(), pixels));
    return pixels;
}

std::string LibraryTest::ErrorText(ImageHandle image, ImageStatus status) {
    char text[256] = {};
    lib->GetErrorText(image, status, text, sizeof text);
    return text;
}

ImageInfo LibraryTest::Info(ImageHandle image) {
    ImageInfo info = {};
    EXPECT_EQ(0, lib->GetImageInfo(image, &info));
    return info;
}
