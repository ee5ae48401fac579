#pragma once
// A folder of the test's own under the system's temporary directory, removed with everything
// in it when the object goes. Several test runs share the machine, so the name carries a random
// suffix and the folder counts as ours only when creating it succeeds: a name that exists
// already is never reused.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace varnu::testing {

class TemporaryFolder {
public:
    explicit TemporaryFolder(std::string_view prefix = "varnu-test") {
        std::random_device seed;
        std::mt19937_64 random(std::uint64_t(seed()) << 32 | seed());
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            std::filesystem::path candidate = base / (std::string(prefix) + "-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                path_ = std::move(candidate);
                return;
            }
        }
        throw std::runtime_error("no temporary folder could be made under " + base.string());
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes `bytes` as they are into the file `name` in the folder; its path.
    std::string file(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path target = path_ / name;
        std::ofstream(target, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return target.string();
    }

private:
    static constexpr int kAttempts = 100;
    std::filesystem::path path_;
};

} // namespace varnu::testing
