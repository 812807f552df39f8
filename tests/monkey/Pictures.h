// The files the random-action run offers the program: pictures of many
// shapes, damaged ones and files that are no pictures, in a few folders,
// one of them with a long name; and what a person types or pastes.
#pragma once

#include "Dice.h"
#include "support/Registry.h"

#include <windows.h>

#include <string>
#include <vector>

class Pictures {
public:
    // Makes the pictures below `root`, with a spare copy of each beside it;
    // `samples` (may be empty) is a folder whose files join them.
    Pictures(const std::string& root, const std::string& samples);

    const std::string& Root() const { return root_; }
    // Every file and folder that was made, whether it exists now or not.
    const std::vector<std::string>& Files() const { return files_; }
    const std::vector<std::string>& Folders() const { return folders_; }
    // The stored sets the run starts with: names and paths.
    NamedSets StartingSets() const;

    // A picture is cut short, filled with noise, deleted, or all come back.
    std::string Damage(Dice& dice);
    std::string Vanish(Dice& dice);
    std::string RestoreAll();

    // Paths a person might drop or paste: files, folders, missing ones.
    std::string AnyPath(Dice& dice) const;

private:
    void Add(const std::string& relative, const std::string& bytes);
    void AddPicture(const std::string& relative, int width, int height, COLORREF colour);
    std::string SpareOf(const std::string& path) const;

    std::string root_, spares_;
    std::string far_;  // the folder with the long name, below the root
    std::vector<std::string> files_, folders_, samples_;
};

// Text typed into a number field: in and out of range, empty, junk, long.
std::string NumberText(Dice& dice);
// Text typed as a set's name or a picture's path.
std::string LabelText(Dice& dice, const Pictures& pictures);
