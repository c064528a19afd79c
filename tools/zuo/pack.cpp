#include "tools/zuo/commands.h"

#include "engine/vfs/archive_writer.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace zuo {

namespace {

namespace fs = std::filesystem;

// Gathers the files to pack into the writer. Folders are walked in sorted
// order so that the same tree always gives the same archive.
class Packer {
  public:
    explicit Packer(const std::string& archivePath) {
        struct stat st {};
        archiveExists = ::stat(archivePath.c_str(), &st) == 0;
        archiveDev = st.st_dev;
        archiveIno = st.st_ino;
    }

    // Adds `path` under `name`; a folder adds everything below it, an empty
    // name meaning its entries take no prefix. False after printing why.
    bool add(const std::string& name, const fs::path& path, bool givenByUser) {
        std::error_code ec;
        const bool isLink = fs::is_symlink(fs::symlink_status(path, ec));
        const fs::file_status st = fs::status(path, ec);
        if (ec) {
            fail("cannot read \"" + path.string() + "\": " + ec.message());
            return false;
        }
        if (fs::is_directory(st)) {
            // A link to a folder met inside a walk could lead back up the
            // tree; only folders the user named are followed through links.
            if (isLink && !givenByUser) {
                fail("not following the link to a folder \"" + path.string() + "\"");
                return true;
            }
            return addFolder(name, path);
        }
        if (isArchiveItself(path)) {
            fail("leaving out the archive itself, \"" + path.string() + "\"");
            return true;
        }
        if (const char* problem = nameProblem(name)) {
            fail("cannot pack \"" + name + "\": " + problem);
            return false;
        }
        std::string error;
        if (!writer.addFile(name, path.string(), &error)) {
            fail(error);
            return false;
        }
        return true;
    }

    keltraWorks::ArchiveWriter writer;

  private:
    bool addFolder(const std::string& name, const fs::path& path) {
        std::vector<std::string> children;
        std::error_code ec;
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
            children.push_back(it->path().filename().string());
        }
        if (ec) {
            fail("cannot read folder \"" + path.string() + "\": " + ec.message());
            return false;
        }
        std::sort(children.begin(), children.end());
        for (const std::string& child : children) {
            if (!add(name.empty() ? child : name + "/" + child, path / child, false)) {
                return false;
            }
        }
        return true;
    }

    bool isArchiveItself(const fs::path& path) const {
        struct stat st {};
        return archiveExists && ::stat(path.c_str(), &st) == 0 && st.st_dev == archiveDev &&
               st.st_ino == archiveIno;
    }

    bool archiveExists = false;
    dev_t archiveDev = 0;
    ino_t archiveIno = 0;
};

} // namespace

int packCommand(const CommandLine& cl) {
    Packer packer(cl.archive);
    const fs::path base = cl.dir.empty() ? fs::path() : fs::path(cl.dir);
    for (std::string name : cl.operands) {
        // "data/" names the folder "data"; "." packs DIR's contents unprefixed.
        while (name.size() > 1 && name.back() == '/') {
            name.pop_back();
        }
        const fs::path path = base / name;
        if (name == ".") {
            name.clear();
        } else if (const char* problem = nameProblem(name)) {
            return fail("cannot pack \"" + name + "\": " + problem);
        }
        if (!packer.add(name, path, true)) {
            return ExitFailure;
        }
    }
    std::string error;
    if (!packer.writer.write(cl.archive, &error)) {
        return fail(error);
    }
    return ExitOk;
}

} // namespace zuo
