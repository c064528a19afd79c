// The track titles as text, for the desktop's media controls. They come from
// "data/tracks.txt" (one UTF-8 title a line, in track order), read the way
// the pictures are: from the mounted archive, else as a loose file under the
// working directory. A title that is missing, empty, longer than
// MaxTitleBytes, not valid UTF-8 or holding control characters is
// "Track N" (N from 1), and so is every title when there is no such file.
// A file that is there but cannot be read whole, or a line that is no
// title, is told in one line on stderr; a missing file is not (content may
// come without titles). Call after the archive is mounted. Single-threaded.
#pragma once

#include <string>
#include <vector>

constexpr const char* TrackTitlesFile = "data/tracks.txt";
constexpr size_t MaxTitleBytes = 200;

// Always TrackPlayer::TrackCount titles.
std::vector<std::string> readTrackTitles();
