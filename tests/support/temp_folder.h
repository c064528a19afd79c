// Test helper: a fresh folder under the system's temporary folder, removed
// with everything in it when the object goes out of scope, with helpers to
// fill it and to list what it holds. Paths given to the helpers are relative
// to the folder. One object per test; not thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace glintTest {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // False when the folder could not be made.
    bool valid() const { return !root.empty(); }
    std::string path(const std::string& relative = "") const;

    // Writes a file, creating its parent folders.
    bool write(const std::string& relative, const std::string& bytes) const;
    bool write(const std::string& relative, const std::vector<uint8_t>& bytes) const;
    // Copies a file or a whole folder from `source` to `relative`.
    bool copyIn(const std::string& source, const std::string& relative) const;
    bool remove(const std::string& relative) const;

    // Every entry below the folder (files and folders) with its type, size
    // and modification time, to tell whether anything was written.
    std::map<std::string, std::string> listing() const;

  private:
    bool write(const std::string& relative, const char* bytes, size_t count) const;

    std::string root;
};

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);

} // namespace glintTest
