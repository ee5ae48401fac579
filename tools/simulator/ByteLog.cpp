#include "tools/simulator/ByteLog.h"

#include <cstdio>

namespace varnu::sim {

bool ByteLog::open(const std::string& path) {
    if (path.empty())
        return true;
    file_.open(path, std::ios::out | std::ios::trunc);
    return file_.is_open();
}

void ByteLog::line(SimTime at, std::string_view direction, std::string_view text) {
    if (!file_.is_open())
        return;
    char stamp[32];
    const auto micros = at.count();
    std::snprintf(stamp, sizeof stamp, "%8lld.%03lld ", static_cast<long long>(micros / 1000),
                  static_cast<long long>(micros % 1000));
    file_ << stamp << direction << ' ' << text << '\n';
    file_.flush();
}

} // namespace varnu::sim
