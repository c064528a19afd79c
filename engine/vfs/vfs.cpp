#include "engine/vfs/vfs.h"

namespace keltraWorks {

namespace {

// Mounted exactly while the reader has its archive open.
ResourceReader& reader() {
    static ResourceReader r;
    return r;
}

} // namespace

bool Vfs::mount(const std::string& path) {
    return reader().openArchive(path);
}

bool Vfs::unmount() {
    return reader().closeArchive();
}

bool Vfs::isMounted() {
    return reader().hasArchive();
}

ResourceStatus Vfs::readResource(const std::string& name, std::vector<uint8_t>* out) {
    return reader().readResource(name, out);
}

std::FILE* Vfs::openFile(const std::string& name) {
    return reader().openEntry(name);
}

int Vfs::fileSize(const std::string& name) {
    return reader().entrySize(name);
}

} // namespace keltraWorks
