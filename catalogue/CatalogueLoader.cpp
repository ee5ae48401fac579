#include "catalogue/CatalogueLoader.h"

#include "catalogue/CodeList.h"
#include "catalogue/FunctionLine.h"
#include "catalogue/TextScan.h"
#include "files/FileFailureText.h"

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

// The SIZE entry of `section`, as a fault of the given kind.
CatalogueFault countFault(CatalogueProblem problem, const ProfileFile& file, std::string_view section) {
    return {problem, std::string(section), file.keyLine(section, kSizeKey), file.getString(section, kSizeKey, ""), {}};
}

// Checks a section's count and adds it to the running total of entries.
std::optional<CatalogueFault> countEntries(const ProfileFile& file, std::string_view section, std::int64_t count,
                                           std::int64_t& entries) {
    if (!isCountInRange(count))
        return countFault(CatalogueProblem::CountOutOfRange, file, section);
    entries += count;
    if (entries > kMaxCatalogueEntries)
        return countFault(CatalogueProblem::TooManyEntries, file, section);
    return std::nullopt;
}

// Reads the functions of `group` from its section; a fault when its count is out of range or
// the running total of entries passes kMaxCatalogueEntries.
std::optional<CatalogueFault> loadFunctions(const ProfileFile& file, CommandGroup& group, std::int64_t& entries) {
    const std::int64_t count = file.getInt(group.name, kSizeKey);
    if (auto fault = countEntries(file, group.name, count, entries))
        return fault;
    for (std::int64_t j = 0; j < count; ++j) {
        const std::string line = file.getString(group.name, std::to_string(j), kMissingFunction);
        if (!line.empty())
            group.functions.push_back(parseFunctionLine(line, file.encoding()));
    }
    return std::nullopt;
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

CatalogueLoadResult failure(Catalogue& catalogue, CatalogueFault fault) {
    catalogue.clear();
    return {false, kCatalogueLoadFailure, std::move(fault), {}};
}

// Why there are no classes to read: no section, no count, or a count of 0.
CatalogueFault noClassesFault(const ProfileFile& file) {
    if (file.sectionLine(kGroupSection) == 0)
        return {CatalogueProblem::NoGroupSection, std::string(kGroupSection), 0, {}, {}};
    if (file.keyLine(kGroupSection, kSizeKey) == 0)
        return {CatalogueProblem::NoClassCount, std::string(kGroupSection), file.sectionLine(kGroupSection), {}, {}};
    return countFault(CatalogueProblem::NoClasses, file, kGroupSection);
}

// A section name in a sentence: UTF-8 names as they are; a CP932 name would not show, so the
// line number alone names its place.
std::string sectionText(const std::string& section) {
    return isValidUtf8(section) ? " of the section [" + section + "]" : "";
}

} // namespace

CatalogueLoadResult loadCatalogue(const ProfileFile& file, Catalogue& catalogue) {
    catalogue.clear();
    catalogue.encoding = file.encoding();
    const std::int64_t groupCount = file.getInt(kGroupSection, kSizeKey);
    if (groupCount == 0)
        return failure(catalogue, noClassesFault(file));

    std::int64_t entries = 0;
    if (auto fault = countEntries(file, kGroupSection, groupCount, entries))
        return failure(catalogue, std::move(*fault));
    for (std::int64_t i = 0; i < groupCount; ++i) {
        std::string name = file.getString(kGroupSection, std::to_string(i), kMissingGroup);
        if (name.empty())
            continue;
        CommandGroup& group = catalogue.groups.emplace_back();
        group.name = std::move(name);
        if (auto fault = loadFunctions(file, group, entries))
            return failure(catalogue, std::move(*fault));
    }
    readForms(file, catalogue);
    return {true, {}, {}, {}};
}

CatalogueLoadResult loadCatalogue(const std::optional<std::string>& fileBytes, Catalogue& catalogue) {
    if (!fileBytes)
        return failure(catalogue,
                       {CatalogueProblem::File, {}, 0, {}, FileFailure{FileProblem::Missing, {}, "catalogue"}});
    return loadCatalogue(ProfileFile(*fileBytes), catalogue);
}

CatalogueLoadResult loadCatalogueFile(const std::string& path, Catalogue& catalogue) {
    const FileContent content = readWholeFile(path, kCatalogueRead);
    CatalogueLoadResult result = content.ok()
                                     ? loadCatalogue(ProfileFile(content.bytes), catalogue)
                                     : failure(catalogue, {CatalogueProblem::File, {}, 0, {}, content.failure});
    if (!result)
        result.explanation = explainCatalogueFault(result.fault, path);
    return result;
}

std::string explainCatalogueFault(const CatalogueFault& fault, std::string_view path) {
    const std::string file = "The catalogue " + namedFile(path);
    const std::string size = "SIZE=" + fault.value + " on line " + std::to_string(fault.line);
    switch (fault.problem) {
    case CatalogueProblem::None:
        return {};
    case CatalogueProblem::File: {
        if (!fault.file)
            return file + " cannot be read.";
        FileFailure named = *fault.file; // a catalogue given as bytes names no file of its own
        if (named.path.empty())
            named.path = std::string(path);
        return explainFileFailure(named);
    }
    case CatalogueProblem::NoGroupSection:
        return file + " has no [GROUP] section. It needs one that lists the command classes: SIZE= their number, then "
                      "0=, 1=, ... their names.";
    case CatalogueProblem::NoClassCount:
        return file + " has no SIZE in its [GROUP] section (line " + std::to_string(fault.line) +
               "). Add SIZE= with the number of command classes.";
    case CatalogueProblem::NoClasses:
        return file + " gives " + size +
               " of its [GROUP] section: no command class. Set SIZE to the number of classes listed under it.";
    case CatalogueProblem::CountOutOfRange:
        return file + " gives " + size + sectionText(fault.section) + "; a count lies between 0 and " +
               groupedNumber(kMaxEntriesPerSection) + ". Set SIZE to the number of entries listed under it.";
    case CatalogueProblem::TooManyEntries:
        return file + " counts more than " + groupedNumber(kMaxCatalogueEntries) +
               " classes and functions in all, passing that limit at " + size + sectionText(fault.section) +
               ". No real catalogue has that many: check the SIZE values.";
    }
    return {};
}

} // namespace varnu
