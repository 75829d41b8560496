// A fresh folder below the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <filesystem>

class TemporaryFolder {
  public:
    TemporaryFolder();
    // Below base instead, when that is a folder.
    explicit TemporaryFolder(const std::filesystem::path& base);
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};
