// The real ZELIMAGE.DLL, loaded from the program folder the build made,
// called through its interface as the program does.
#pragma once

#include "../../core/Bmp.h"
#include "../TestImages.h"
#include "support/TestPaths.h"
#include "ImageLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

class LibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static ImageLibrary* lib;
    static std::string folder;

    // Writes `bytes` to a file of the test folder; returns its path.
    static std::string Save(const std::string& name, const zeltest::Bytes& bytes);
    // OpenImage + ReadImage + CloseSource; fails the test on a status.
    static ImageHandle Load(const std::string& path);
    static ImageStatus OpenAndRead(const std::string& path, ImageHandle& image);
    // The picture's pixels, taken out through the BMP writer.
    static zel::Image Pixels(ImageHandle image);
    static FormatInfo BmpWriter();
    static std::string ErrorText(ImageHandle image, ImageStatus status);
    static ImageInfo Info(ImageHandle image);
};
