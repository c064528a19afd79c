// Test helper: a fresh folder under the system's temporary folder, removed
// with everything in it when the object goes out of scope. Header-only.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace glintTest {

class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "glint-XXXXXX").string();
        if (::mkdtemp(pattern.data())) {
            root = pattern;
        }
    }
    ~TempDir() {
        std::error_code ignored;
        if (!root.empty()) {
            std::filesystem::remove_all(root, ignored);
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool valid() const { return !root.empty(); }
    std::string path(const std::string& relative = "") const {
        return relative.empty() ? root : root + "/" + relative;
    }

    // Writes a file below the folder, creating its parent folders.
    bool write(const std::string& relative, const std::string& content) const {
        const std::filesystem::path p = path(relative);
        std::error_code ec;
        std::filesystem::create_directories(p.parent_path(), ec);
        std::FILE* f = std::fopen(p.c_str(), "wb");
        if (!f) {
            return false;
        }
        const bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
        return std::fclose(f) == 0 && ok;
    }

  private:
    std::string root;
};

// The whole content of a file, or `missing` when it cannot be opened.
inline std::string readAll(const std::string& path, const std::string& missing = "<missing>") {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return missing;
    }
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        out.append(buffer, n);
    }
    std::fclose(f);
    return out;
}

} // namespace glintTest
