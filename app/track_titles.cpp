#include "app/track_titles.h"

#include "app/track_player.h"
#include "engine/vfs/vfs.h"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <vector>

using keltraWorks::ResourceStatus;
using keltraWorks::Vfs;

namespace {

// Far more than ten titles can need; a larger file is not read.
constexpr size_t MaxFileBytes = 64 * 1024;

// The whole file, read as every resource is (the archive's entry, else the
// loose file); empty when there is none, or (with *problem saying why) when
// it cannot be used.
std::string readTitleFile(std::string* problem) {
    std::vector<uint8_t> bytes;
    switch (Vfs::readResource(TrackTitlesFile, &bytes)) {
    case ResourceStatus::Ok:
        break;
    case ResourceStatus::CannotOpen:
        return {}; // content without titles: nothing wrong
    case ResourceStatus::NotRegular:
        *problem = "is not a regular file";
        return {};
    case ResourceStatus::UnusableSize:
        *problem = "is empty or too large";
        return {};
    case ResourceStatus::OutsideArchive:
        *problem = "lies outside its archive file";
        return {};
    case ResourceStatus::ReadFailed:
        *problem = "cannot be read";
        return {};
    }
    if (bytes.size() > MaxFileBytes) {
        *problem = "is too large";
        return {};
    }
    return std::string(bytes.begin(), bytes.end());
}

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF) without control characters.
bool isTitleText(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x20 || lead == 0x7F) {
            return false;
        }
        size_t length = 1;
        unsigned long code = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0x80) {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace

std::vector<std::string> readTrackTitles() {
    std::string problem;
    std::istringstream lines(readTitleFile(&problem));
    std::vector<std::string> titles;
    std::string line;
    for (int i = 0; i < TrackPlayer::TrackCount; ++i) {
        const bool read = static_cast<bool>(std::getline(lines, line));
        if (read && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const bool usable =
            read && !line.empty() && line.size() <= MaxTitleBytes && isTitleText(line);
        if (read && !usable && problem.empty()) {
            problem = "has no usable title on line " + std::to_string(i + 1);
        }
        titles.push_back(usable ? line : "Track " + std::to_string(i + 1));
    }
    // One line at most, however much is wrong.
    if (!problem.empty()) {
        std::fprintf(stderr, "glint: titles: \"%s\" %s; tracks without a title go by number\n",
                     TrackTitlesFile, problem.c_str());
    }
    return titles;
}
