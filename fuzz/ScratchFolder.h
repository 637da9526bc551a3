#pragma once

#include <filesystem>

namespace tamrex::fuzz {

// A private folder for the files one fuzzer process writes, removed when the
// process ends normally. Each process gets its own, so parallel jobs never share.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tamrex::fuzz
