// The player's 39 pictures: their paths inside the data tree, pixel sizes
// and PNG kinds, in the order the player loads them, and the code that draws
// each one and writes it out. Writing is deterministic.
#pragma once

#include "tools/content/canvas.h"

#include <string>
#include <vector>

namespace keltraWorks {

struct PictureEntry {
    std::string path; // relative, forward slashes: "data/gui/play_on.png"
    int width;
    int height;
    bool alpha; // RGBA when true, RGB otherwise
};

// All 39, in the player's load order.
const std::vector<PictureEntry>& pictureList();

// Draws the picture `entry` names onto a fresh canvas of its size.
// False for a path that is not in the list.
bool drawPicture(const PictureEntry& entry, Canvas& canvas);

// Draws every picture and writes it as PNG under `folder` (creating the
// data/... folders), returning the written relative paths in list order.
bool writePictures(const std::string& folder, std::vector<std::string>* written,
                   std::string* error);

} // namespace keltraWorks
