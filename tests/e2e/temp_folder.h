// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the object goes out of scope; with helpers to
// fill it from the generated content and to list what it holds. Paths given
// to the helpers are relative to the folder. Not thread-safe.
#pragma once

#include <map>
#include <string>

namespace glintE2e {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool valid() const { return !root.empty(); }
    std::string path(const std::string& relative = "") const;

    // Writes a file, creating its parent folders.
    bool write(const std::string& relative, const std::string& bytes) const;
    // Copies a file or a whole folder from `source` to `relative`.
    bool copyIn(const std::string& source, const std::string& relative) const;
    bool remove(const std::string& relative) const;

    // Every entry below the folder (files and folders) with its type, size
    // and modification time, to tell whether anything was written.
    std::map<std::string, std::string> listing() const;

  private:
    std::string root;
};

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);

} // namespace glintE2e
