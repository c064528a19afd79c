// Writes a complete content folder, the one the player starts in:
// <folder>/data/... (the loose pictures and data/tracks.txt, the track
// titles), <folder>/data.zuo (the same files packed with the archive writer,
// so both of the player's loading paths have the same data) and
// <folder>/glint.mp3. Blocking; one caller at a time per folder.
#pragma once

#include "tools/content/section_style.h"

#include <string>
#include <vector>

namespace keltraWorks {

// The track titles, one UTF-8 line per track, in track order.
constexpr const char* TrackNamesFile = "data/tracks.txt";

struct ContentOptions {
    std::string folder = "content";
    double musicSeconds = MusicSeconds; // less for a quick recording
    bool pictures = true;
    bool music = true;
};

bool writeContent(const ContentOptions& options, std::string* error);

// Packs `names` (relative paths under `folder`) into <folder>/data.zuo, in
// the given order, under the same names.
bool packArchive(const std::string& folder, const std::vector<std::string>& names,
                 std::string* error);

} // namespace keltraWorks
