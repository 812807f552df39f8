// The wallpaper file cannot be written: another program holds it open (as a
// viewer or a virus scanner may). The installed program keeps the previous
// wallpaper, says once what went wrong, leaves nothing behind and tries
// again with the next change.
#include "framework/Handle.h"
#include "support/DialogCatcher.h"
#include "support/ProgramProcess.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The system's own words for an error, as a message box would quote them.
std::string SystemWords(DWORD error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    std::string words(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) words.pop_back();
    return words;
}

}  // namespace

TEST(WriteFault, ALockedWallpaperStaysOneMessageSaysWhyAndTheNextChangeWorks) {
    RegistrySandbox sandbox;
    const std::string wallpaper = DistDir() + "\\vistals.bmp";
    DeleteFileA(wallpaper.c_str());
    const std::string folder = MakeTempFolder("write-fault");
    const std::string first = folder + "\\first.bmp", second = folder + "\\second.bmp";
    const std::string third = folder + "\\third.bmp";
    ASSERT_TRUE(WriteSolidBmp(first, 320, 240, RGB(200, 40, 40)));
    ASSERT_TRUE(WriteSolidBmp(second, 320, 240, RGB(40, 40, 200)));
    ASSERT_TRUE(WriteSolidBmp(third, 320, 240, RGB(40, 200, 40)));

    ProgramProcess program;
    ASSERT_TRUE(program.Start({first, second, third}));
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitUntil([&] { return IsCompleteBmp(wallpaper, nullptr); }));
    const std::string previous = ReadFileBytes(wallpaper);

    DialogCatcher catcher(program.Id());
    {
        // Held open by another program, shared with nobody, once the first
        // change has let it go.
        FileHandle lock;
        ASSERT_TRUE(WaitUntil([&] {
            lock.reset(CreateFileA(wallpaper.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            return bool(lock);
        }));
        PostMessageA(frame, WM_COMMAND, 32772, 0);  // Display Next Vistal
        ASSERT_TRUE(catcher.WaitFor(1));
    }
    ASSERT_LE(1u, catcher.Boxes().size());
    const std::string text = catcher.Boxes()[0].text;
    // The library's text with the system's reason, not a bare "failed".
    const bool namesTheReason = text.find(SystemWords(ERROR_SHARING_VIOLATION)) != std::string::npos ||
                                text.find(SystemWords(ERROR_ACCESS_DENIED)) != std::string::npos;
    EXPECT_TRUE(namesTheReason) << text;
    EXPECT_TRUE(previous == ReadFileBytes(wallpaper)) << "the previous wallpaper changed";
    EXPECT_EQ(std::vector<std::string>{"vistals.bmp"}, FilesMatching(DistDir(), "vistals.bmp*"));

    // The next change (the third picture) writes again; the failed one
    // showed no other box by then (changes run one after the other).
    PostMessageA(frame, WM_COMMAND, 32772, 0);
    EXPECT_TRUE(WaitUntil([&] {
        BmpPixels shown;
        return shown.Load(wallpaper) && shown.At(5, 5) == RGB(40, 200, 40);
    })) << "not written again";
    for (size_t i = 1; i < catcher.Boxes().size(); ++i) ADD_FAILURE() << "another box: " << catcher.Boxes()[i].text;
    EXPECT_EQ(std::vector<std::string>{"vistals.bmp"}, FilesMatching(DistDir(), "vistals.bmp*"));
    EXPECT_TRUE(program.Exit());
}
