#include "shell/tests/FileSizeLimit.h"

namespace varnu::testing {

struct FileSizeLimit::Saved {};

FileSizeLimit::FileSizeLimit(std::uint64_t /*bytes*/) {}

FileSizeLimit::~FileSizeLimit() = default;

bool FileSizeLimit::supported() {
    return false;
}

} // namespace varnu::testing
