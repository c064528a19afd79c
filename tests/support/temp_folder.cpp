#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace glintTest {

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "glint-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        root = pattern;
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!root.empty()) {
        fs::remove_all(root, ignored);
    }
}

std::string TempFolder::path(const std::string& relative) const {
    return relative.empty() ? root : root + "/" + relative;
}

bool TempFolder::write(const std::string& relative, const std::string& bytes) const {
    return write(relative, bytes.data(), bytes.size());
}

bool TempFolder::write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    return write(relative, reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

bool TempFolder::write(const std::string& relative, const char* bytes, size_t count) const {
    const fs::path p = path(relative);
    std::error_code ec;
    fs::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes, static_cast<std::streamsize>(count));
    out.close();
    return static_cast<bool>(out);
}

bool TempFolder::copyIn(const std::string& source, const std::string& relative) const {
    const fs::path target = path(relative);
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    fs::copy(source, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing,
             ec);
    return !ec;
}

bool TempFolder::remove(const std::string& relative) const {
    std::error_code ec;
    fs::remove_all(path(relative), ec);
    return !ec;
}

std::map<std::string, std::string> TempFolder::listing() const {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0) {
            continue;
        }
        const std::string name = fs::relative(it->path(), root, ec).string();
        out[name] = (S_ISDIR(info.st_mode) ? std::string("dir ") : std::string("file ")) +
                    std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
                    std::to_string(info.st_mtim.tv_nsec);
    }
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace glintTest
