#include "tools/content/content_writer.h"

#include "engine/vfs/archive_writer.h"
#include "tools/content/music_writer.h"
#include "tools/content/picture_set.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

namespace keltraWorks {

namespace {

// The titles the track-name pictures show, one UTF-8 line each, for the
// player's media controls.
bool writeTrackNames(const std::string& folder, std::string* error) {
    const std::string path = folder + "/" + TrackNamesFile;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const SectionStyle& style : sectionStyles()) {
        out << style.score.title << '\n';
    }
    out.close();
    if (!out) {
        *error = "cannot write \"" + path + "\"";
        return false;
    }
    return true;
}

} // namespace

bool packArchive(const std::string& folder, const std::vector<std::string>& names,
                 std::string* error) {
    ArchiveWriter archive;
    for (const std::string& name : names) {
        if (!archive.addFile(name, folder + "/" + name, error)) {
            return false;
        }
    }
    return archive.write(folder + "/data.zuo", error);
}

bool writeContent(const ContentOptions& options, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(options.folder, ec);
    if (ec) {
        *error = "cannot create \"" + options.folder + "\": " + ec.message();
        return false;
    }
    // The pictures are drawn on a thread of their own while the music is
    // made: the encoder sets the pace, and the synthesiser's core has time
    // to spare while it waits for the encoder.
    bool picturesOk = true;
    std::string pictureError;
    std::vector<std::string> written;
    double pictureSeconds = 0;
    std::thread pictures;
    if (options.pictures) {
        pictures = std::thread([&] {
            const auto start = std::chrono::steady_clock::now();
            picturesOk = writePictures(options.folder, &written, &pictureError) &&
                         writeTrackNames(options.folder, &pictureError);
            if (picturesOk) {
                std::vector<std::string> packed = written;
                packed.push_back(TrackNamesFile);
                picturesOk = packArchive(options.folder, packed, &pictureError);
            }
            pictureSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        });
    }
    bool musicOk = true;
    if (options.music) {
        MusicReport report;
        musicOk = writeMusic(options.folder + "/glint.mp3", options.musicSeconds, &report, error);
    }
    if (pictures.joinable()) {
        pictures.join();
    }
    if (options.pictures && picturesOk) {
        std::fprintf(stderr, "glint: content: %zu pictures in %s/data and data.zuo, in %.1f s\n",
                     written.size(), options.folder.c_str(), pictureSeconds);
    }
    if (!picturesOk && musicOk) {
        *error = pictureError;
    }
    return picturesOk && musicOk;
}

} // namespace keltraWorks
