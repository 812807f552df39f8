#include "Pictures.h"

#include "support/TestBitmaps.h"
#include "support/TestPaths.h"

#include <windows.h>

#include <cstring>

namespace {

std::string Noise(size_t size, uint32_t seed) {
    Dice dice(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(dice.Below(256));
    return bytes;
}

// A folder name that brings a picture's path close to the 255 characters
// the dialog builds paths in.
std::string LongFolderName(size_t rootLength) {
    const size_t wanted = rootLength < 200 ? 230 - rootLength : 20;
    std::string name = "A folder with a long name";
    while (name.size() < wanted) name += " and more";
    name.resize(wanted);
    // Windows drops a name's trailing blanks.
    return name.back() == ' ' ? name.substr(0, wanted - 1) + "s" : name;
}

}  // namespace

Pictures::Pictures(const std::string& root, const std::string& samples)
    : root_(root), spares_(root + " spares"), far_("Holiday\\" + LongFolderName(root.size())) {
    for (const std::string& folder : {root_, spares_}) {
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "\\Holiday").c_str(), nullptr);
        CreateDirectoryA((folder + "\\" + far_).c_str(), nullptr);
    }
    folders_ = {root_, root_ + "\\Holiday", root_ + "\\" + far_};
    AddPicture("red.bmp", 320, 240, RGB(200, 30, 30));
    AddPicture("green.bmp", 800, 600, RGB(30, 160, 60));
    AddPicture("blue.bmp", 1280, 1024, RGB(30, 60, 200));
    AddPicture("tall.bmp", 90, 1500, RGB(120, 120, 0));
    AddPicture("wide.bmp", 2400, 60, RGB(0, 120, 120));
    AddPicture("dot.bmp", 1, 1, RGB(255, 255, 255));
    Add("cut.bmp", ReadFileBytes(root_ + "\\green.bmp").substr(0, 700));
    Add("noise.jpg", Noise(300, 7));
    Add("empty.png", "");
    Add("notes.txt", "not a picture\r\n");
    AddPicture("Holiday\\beach.bmp", 640, 480, RGB(240, 220, 120));
    AddPicture("Holiday\\sun.bmp", 500, 500, RGB(250, 200, 0));
    AddPicture(far_ + "\\far.bmp", 300, 200, RGB(90, 40, 140));
    if (!samples.empty())
        for (const std::string& name : FilesMatching(samples, "*"))
            if (name[0] != '.') {
                Add(name, ReadFileBytes(samples + "\\" + name));
                samples_.push_back(files_.back());
            }
}

void Pictures::AddPicture(const std::string& relative, int width, int height, COLORREF colour) {
    WriteSolidBmp(root_ + "\\" + relative, width, height, colour);
    Add(relative, ReadFileBytes(root_ + "\\" + relative));
}

void Pictures::Add(const std::string& relative, const std::string& bytes) {
    files_.push_back(root_ + "\\" + relative);
    WriteFileBytes(files_.back(), bytes);
    WriteFileBytes(spares_ + "\\" + relative, bytes);
}

std::string Pictures::SpareOf(const std::string& path) const {
    return spares_ + path.substr(root_.size());
}

NamedSets Pictures::StartingSets() const {
    const std::string& r = root_;
    NamedSets sets = {
        {"Colours", {r + "\\red.bmp", r + "\\green.bmp", r + "\\cut.bmp", r + "\\blue.bmp"}},
        {"Odd ones", {r + "\\tall.bmp", r + "\\noise.jpg", r + "\\wide.bmp", r + "\\missing.bmp", r + "\\dot.bmp"}},
        {"Holiday", {r + "\\Holiday\\beach.bmp", r + "\\Holiday\\sun.bmp", r + "\\" + far_ + "\\far.bmp"}},
    };
    sets[0].second.insert(sets[0].second.end(), samples_.begin(), samples_.end());
    return sets;
}

std::string Pictures::Damage(Dice& dice) {
    const std::string& path = dice.Pick(files_);
    const std::string spare = ReadFileBytes(SpareOf(path));
    const bool cut = dice.Percent(50);
    const std::string bytes = cut ? spare.substr(0, spare.size() / 3) : Noise(spare.size(), dice.Below(1000));
    // A file the program holds open cannot be changed: the person tried.
    WriteFileBytes(path, bytes);
    return (cut ? "cut short " : "fill with noise ") + path.substr(root_.size() + 1);
}

std::string Pictures::Vanish(Dice& dice) {
    const std::string& path = dice.Pick(files_);
    DeleteFileA(path.c_str());
    return "delete " + path.substr(root_.size() + 1);
}

std::string Pictures::RestoreAll() {
    for (const std::string& path : files_) CopyFileA(SpareOf(path).c_str(), path.c_str(), FALSE);
    return "restore every picture";
}

std::string Pictures::AnyPath(Dice& dice) const {
    switch (dice.Below(6)) {
        case 0: return dice.Pick(folders_);
        case 1: return root_ + "\\missing.bmp";
        case 2: return root_ + "\\Holiday\\" + std::string(300, 'x') + ".bmp";
        default: return dice.Pick(files_);
    }
}

std::string NumberText(Dice& dice) {
    static const std::vector<std::string> texts = {
        "0", "1", "2", "5", "10", "23", "59", "60", "100", "500", "1023", "1024", "1100", "32767", "32768",
        "99999", "-1", "-5", "2147483647", "2147483648", "-2147483648", "4294967291", "4294967296", "",
        " ", "abc", "12abc", "1e3", "0x10", "+7", "00000000000000000000000007",
        "999999999999999999999999999999",
    };
    if (dice.Percent(8)) return std::string(300 + dice.Below(3000), '7');
    if (dice.Percent(5)) return std::string(1000, 'x');
    return dice.Pick(texts);
}

std::string LabelText(Dice& dice, const Pictures& pictures) {
    static const std::vector<std::string> texts = {
        "Beach", "Forest", "New Set", "", "   ", "Set with a longer name, and a comma", "%s%n%d", "C:\\",
        "\xE9t\xE9", "\\\\server\\share\\picture.bmp", "relative.bmp", "..", "*.bmp",
    };
    switch (dice.Below(6)) {
        case 0: return std::string(200 + dice.Below(2000), 'n');
        case 1:
        case 2: return pictures.AnyPath(dice);
        default: return dice.Pick(texts);
    }
}
