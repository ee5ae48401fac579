#include "tools/simulator/RulesFile.h"

#include "files/FileFailureText.h"
#include "files/ReadWholeFile.h"

namespace varnu::sim {

LoadedRules loadRulesFile(const std::string& path) {
    const FileContent content = readWholeFile(path, kRulesFileRead);
    if (content.failure)
        return {{}, "cannot read the rules file " + path + "\n" + explainFileFailure(*content.failure)};
    ParsedRules parsed = parseRules(content.bytes);
    if (parsed.error)
        return {{}, path + ":" + std::to_string(parsed.error->line) + ": " + parsed.error->message};
    return {std::move(parsed.rules), std::nullopt};
}

} // namespace varnu::sim
