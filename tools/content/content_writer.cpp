#include "tools/content/content_writer.h"

#include "engine/vfs/archive_writer.h"
#include "tools/content/music_writer.h"
#include "tools/content/picture_set.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace keltraWorks {

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
    if (options.pictures) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::string> written;
        if (!writePictures(options.folder, &written, error) ||
            !packArchive(options.folder, written, error)) {
            return false;
        }
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "glint: content: %zu pictures in %s/data and data.zuo, in %.1f s\n",
                     written.size(), options.folder.c_str(), took);
    }
    if (options.music) {
        MusicReport report;
        if (!writeMusic(options.folder + "/glint.mp3", options.musicSeconds, &report, error)) {
            return false;
        }
    }
    return true;
}

} // namespace keltraWorks
