#include "tools/simulator/LineIntake.h"

#include <algorithm>

namespace varnu::sim {

SimTime LineIntake::start(SimTime now, int baud) const {
    const SimTime burstStart = now - static_cast<long>(kIdleBurstBytes) * byteTime(baud);
    return taken_ ? std::max(*taken_, burstStart) : burstStart;
}

std::size_t LineIntake::allowance(SimTime now, int baud) const {
    const SimTime from = start(now, baud);
    return now > from ? static_cast<std::size_t>((now - from) / byteTime(baud)) : 0;
}

void LineIntake::take(std::size_t count, SimTime now, int baud) {
    taken_ = start(now, baud) + static_cast<long>(count) * byteTime(baud);
}

SimTime LineIntake::nextBatchAt(SimTime now, int baud) const {
    return start(now, baud) + static_cast<long>(kBatchBytes) * byteTime(baud);
}

} // namespace varnu::sim
