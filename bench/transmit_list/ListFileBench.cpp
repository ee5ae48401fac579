// Opens a generated list file of 100,000 lines the way the window does (blocks of 255 bytes)
// and saves it again, printing the times. Target: opening under 100 ms.

#include "transmit_list/ListFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 100'000;
constexpr std::size_t kBlockBytes = 255;
constexpr double kTargetMs = 100.0;
// The machine is shared: the best of several runs is the figure that compares.
constexpr int kRuns = 7;

// Frames of different lengths, stale checksums included, and one rejected line in fifty.
std::string generateListFile() {
    std::string content;
    char line[64];
    for (int i = 0; i < kLines; ++i) {
        if (i % 50 == 49) {
            content += "not a frame\r\n";
            continue;
        }
        switch (i % 3) {
        case 0:
            std::snprintf(line, sizeof line, "ESC 07 01 %02X %02X %02X 00\r\n", i & 0xFF, (i >> 8) & 0xFF, i % 200);
            break;
        case 1:
            std::snprintf(line, sizeof line, "ESC 0C 01 00 00 03 1F %06X %02X 00\r\n", i, i & 0x7F);
            break;
        default:
            std::snprintf(line, sizeof line, "ESC 0E 02 01 00 03 1F 000000 05 01 01 C6\n");
        }
        content += line;
    }
    return content;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The window's Open: the list emptied, the file fed in blocks, the entries appended, widths set.
double openOnce(const std::string& content, varnu::TransmitList& list) {
    const auto start = std::chrono::steady_clock::now();
    list.removeAll();
    varnu::ListFileReader reader;
    for (std::size_t at = 0; at < content.size(); at += kBlockBytes)
        reader.feed(std::string_view(content).substr(at, kBlockBytes));
    list.appendEntries(reader.takeEntries());
    list.applyOpenWidth();
    return millisecondsSince(start);
}

} // namespace

int main() {
    const std::string content = generateListFile();
    varnu::TransmitList list;
    std::vector<double> openMs;
    for (int run = 0; run < kRuns; ++run)
        openMs.push_back(openOnce(content, list));
    std::sort(openMs.begin(), openMs.end());

    const auto saveStart = std::chrono::steady_clock::now();
    const std::string saved = varnu::writeListFile(list);
    const double saveMs = millisecondsSince(saveStart);

    std::printf("open: %d lines (%zu bytes) -> %d entries: best %.1f ms, median %.1f ms of %d (target under %.0f ms)\n",
                kLines, content.size(), list.count(), openMs.front(), openMs[openMs.size() / 2], kRuns, kTargetMs);
    std::printf("save: %zu bytes in %.1f ms\n", saved.size(), saveMs);
    return openMs.front() < kTargetMs ? 0 : 1;
}
