#pragma once
// A scope in which this process cannot make a file grow past a number of bytes: a write beyond
// it fails as on a full disk. Unix has such a limit (RLIMIT_FSIZE, FileSizeLimit_unix.cpp);
// Windows has none (FileSizeLimit_win.cpp).

#include <cstdint>
#include <memory>

namespace varnu::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit(); // the limit before
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    static bool supported();
    bool active() const { return saved_ != nullptr; }

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

} // namespace varnu::testing
