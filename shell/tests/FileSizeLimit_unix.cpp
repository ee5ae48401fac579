#include "shell/tests/FileSizeLimit.h"

#include <csignal>
#include <sys/resource.h>

namespace varnu::testing {

struct FileSizeLimit::Saved {
    rlimit limit{};
    void (*handler)(int) = SIG_DFL;
};

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    auto saved = std::make_unique<Saved>();
    if (::getrlimit(RLIMIT_FSIZE, &saved->limit) != 0)
        return;
    // Past the limit the system also sends SIGXFSZ, which would end the process.
    saved->handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved->limit;
    small.rlim_cur = static_cast<rlim_t>(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &small) != 0) {
        std::signal(SIGXFSZ, saved->handler);
        return;
    }
    saved_ = std::move(saved);
}

FileSizeLimit::~FileSizeLimit() {
    if (!saved_)
        return;
    ::setrlimit(RLIMIT_FSIZE, &saved_->limit);
    std::signal(SIGXFSZ, saved_->handler);
}

bool FileSizeLimit::supported() {
    return true;
}

} // namespace varnu::testing
