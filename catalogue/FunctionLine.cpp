#include "catalogue/FunctionLine.h"

#include "catalogue/TextScan.h"

#include <array>

namespace varnu {

namespace {

constexpr std::string_view kNameEnd = ",;:/";
constexpr std::string_view kNumberStart = "+-0123456789";
constexpr std::string_view kNumberEnd = " ,;:/";
constexpr std::string_view kTargetEnd = " ,;:|";
constexpr std::size_t npos = std::string_view::npos;

// Blanks are passed over only before a name, so "A ,B" and "A,,B" enclose an empty name.
std::vector<std::string> parseTargets(std::string_view text, TextEncoding encoding) {
    std::vector<std::string> targets;
    std::size_t pos = 0;
    while (true) {
        pos = skipBlanks(text, pos);
        if (pos == text.size() || text[pos] == '\r')
            return targets;
        const std::size_t end = findSeparator(text, kTargetEnd, pos, encoding);
        targets.emplace_back(text.substr(pos, end == npos ? npos : end - pos));
        if (end == npos)
            return targets;
        pos = end + 1;
    }
}

} // namespace

CommandFunction parseFunctionLine(std::string_view line, TextEncoding encoding) {
    CommandFunction function;
    const std::size_t nameEnd = findSeparator(line, kNameEnd, 0, encoding);
    function.name = line.substr(0, nameEnd);
    if (nameEnd == npos)
        return function;

    const std::array<std::int32_t*, 3> numbers{&function.dataMin, &function.dataMax, &function.dataDefault};
    std::size_t pos = nameEnd + 1;
    for (std::int32_t* number : numbers) {
        const std::size_t start = findSeparator(line, kNumberStart, pos, encoding);
        if (start == npos)
            return function;
        *number = readDecimal32(line.substr(start));
        const std::size_t end = findSeparator(line, kNumberEnd, start + 1, encoding);
        if (end == npos)
            return function;
        pos = end + 1;
    }
    function.targets = parseTargets(line.substr(pos), encoding);
    return function;
}

} // namespace varnu
