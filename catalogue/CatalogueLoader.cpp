#include "catalogue/CatalogueLoader.h"

#include "catalogue/CodeList.h"
#include "catalogue/FunctionLine.h"

#include <array>
#include <string_view>
#include <unordered_set>

namespace varnu {

namespace {

constexpr std::string_view kGroupSection = "GROUP";
constexpr std::string_view kSizeKey = "SIZE";
constexpr std::string_view kMissingGroup = "NoGroup";
constexpr std::string_view kMissingFunction = "NoItem";
constexpr std::string_view kMissingCodeList = "NoForm"; // reads as the one literal 0

struct PromptKey {
    std::string_view key;
    PromptId TargetForm::*prompt;
    PromptId defaultId;
};
constexpr std::array kPromptKeys{
    PromptKey{"S", &TargetForm::slavePrompt, kPromptSlaveAddress},
    PromptKey{"A", &TargetForm::addressPrompt, kPromptStartingAddress},
    PromptKey{"D", &TargetForm::dataPrompt, kPromptValueToSet},
    PromptKey{"M", &TargetForm::multiPrompt, kPromptDataMatrix},
};

struct PromptKeyword {
    std::string_view keyword; // matched exactly, letter case counting
    PromptId id;
};
constexpr std::array kPromptKeywords{
    PromptKeyword{"READBYTE", kPromptReadByte},
    PromptKeyword{"RGB", kPromptRgb},
    PromptKeyword{"FIRST", kPromptFirst},
    PromptKeyword{"OFFSET", kPromptOffset},
};

constexpr std::array<std::pair<FormPass, std::string_view>, 2> kCodeListKeys{{
    {FormPass::Write, "WRITE"},
    {FormPass::Read, "READ"},
}};

bool isCountInRange(std::int64_t count) {
    return count >= 0 && count <= kMaxEntriesPerSection;
}

// Reads the functions of `group` from its section. False when its count is out of range or
// the running total of entries passes kMaxCatalogueEntries.
bool loadFunctions(const ProfileFile& file, CommandGroup& group, std::int64_t& entries) {
    const std::int64_t count = file.getInt(group.name, kSizeKey);
    if (!isCountInRange(count))
        return false;
    entries += count;
    if (entries > kMaxCatalogueEntries)
        return false;
    for (std::int64_t j = 0; j < count; ++j) {
        const std::string line = file.getString(group.name, std::to_string(j), kMissingFunction);
        if (!line.empty())
            group.functions.push_back(parseFunctionLine(line, file.encoding()));
    }
    return true;
}

PromptId readPrompt(const ProfileFile& file, std::string_view section, const PromptKey& key) {
    const std::string value = file.getString(section, key.key, "");
    for (const PromptKeyword& keyword : kPromptKeywords) {
        if (value == keyword.keyword)
            return keyword.id;
    }
    return key.defaultId;
}

TargetForm readForm(const ProfileFile& file, const std::string& name) {
    TargetForm form;
    form.name = name;
    for (const auto& [pass, key] : kCodeListKeys)
        parseCodeList(file.getString(name, key, kMissingCodeList), file.encoding(), pass, form);
    for (const PromptKey& key : kPromptKeys)
        form.*key.prompt = readPrompt(file, name, key);
    return form;
}

// One form per distinct target name (letter case counting), in first-use order.
void readForms(const ProfileFile& file, Catalogue& catalogue) {
    std::unordered_set<std::string_view> seen; // views into the functions' target names
    for (const CommandGroup& group : catalogue.groups) {
        for (const CommandFunction& function : group.functions) {
            for (const std::string& target : function.targets) {
                if (seen.insert(target).second)
                    catalogue.forms.push_back(readForm(file, target));
            }
        }
    }
}

CatalogueLoadResult failure(Catalogue& catalogue) {
    catalogue.clear();
    return {false, kCatalogueLoadFailure};
}

} // namespace

CatalogueLoadResult loadCatalogue(const ProfileFile& file, Catalogue& catalogue) {
    catalogue.clear();
    catalogue.encoding = file.encoding();
    const std::int64_t groupCount = file.getInt(kGroupSection, kSizeKey);
    if (groupCount == 0 || !isCountInRange(groupCount))
        return failure(catalogue);

    std::int64_t entries = groupCount;
    for (std::int64_t i = 0; i < groupCount; ++i) {
        std::string name = file.getString(kGroupSection, std::to_string(i), kMissingGroup);
        if (name.empty())
            continue;
        CommandGroup& group = catalogue.groups.emplace_back();
        group.name = std::move(name);
        if (!loadFunctions(file, group, entries))
            return failure(catalogue);
    }
    readForms(file, catalogue);
    return {true, {}};
}

CatalogueLoadResult loadCatalogue(const std::optional<std::string>& fileBytes, Catalogue& catalogue) {
    if (!fileBytes)
        return failure(catalogue);
    return loadCatalogue(ProfileFile(*fileBytes), catalogue);
}

} // namespace varnu
