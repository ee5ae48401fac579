#pragma once
// Fills a Catalogue from the catalogue file (varnu.ini). The loader decides and explains; the
// front ends show the failure text and its explanation.

#include "catalogue/Catalogue.h"
#include "catalogue/ProfileFile.h"
#include "files/ReadWholeFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnu {

inline constexpr std::string_view kCatalogueLoadFailure = "Initialization file not found\nor format is incorrect.";

// A "SIZE" above this (or below 0) is not a real count but a damaged file: the load fails
// instead of creating millions of "NoGroup"/"NoItem" entries for keys that are not there.
inline constexpr std::int64_t kMaxEntriesPerSection = 1'000'000;
// Class names may repeat, so many classes can share one huge section: the class and function
// entries of the whole file together are limited as well. A command addresses at most 256
// classes of 256 functions, so real catalogues stay far below either limit.
inline constexpr std::int64_t kMaxCatalogueEntries = 1'000'000;

// What made a catalogue unusable: the first thing found, where one line can be named.
enum class CatalogueProblem {
    None,
    File,            // the file could not be read (`file` says why)
    NoGroupSection,  // no [GROUP] section
    NoClassCount,    // [GROUP] has no SIZE
    NoClasses,       // the SIZE of [GROUP] is 0 or not a number
    CountOutOfRange, // a SIZE below 0 or above kMaxEntriesPerSection
    TooManyEntries,  // the counts together pass kMaxCatalogueEntries
};

struct CatalogueFault {
    CatalogueProblem problem = CatalogueProblem::None;
    std::string section{}; // the section whose SIZE failed, as written in the file
    int line = 0;          // the line of that SIZE, or of the [GROUP] header; 0 when none applies
    std::string value{};   // the SIZE value as written
    std::optional<FileFailure> file{};
};

struct CatalogueLoadResult {
    bool ok = false;
    std::string_view message; // kCatalogueLoadFailure when !ok, else empty
    CatalogueFault fault{};
    std::string explanation{}; // loadCatalogueFile only: explainCatalogueFault of the fault

    explicit operator bool() const { return ok; }
};

// Clears `catalogue`, then reads the classes, their functions and one form per distinct target
// name. Fails, leaving `catalogue` empty, when the "GROUP" "SIZE" is missing or 0, or when a
// "SIZE" or the sum of all of them is out of range (see the limits above).
CatalogueLoadResult loadCatalogue(const ProfileFile& file, Catalogue& catalogue);

// The same from the file's bytes; std::nullopt stands for a file that is not there.
CatalogueLoadResult loadCatalogue(const std::optional<std::string>& fileBytes, Catalogue& catalogue);

// Reads the catalogue file at `path` (regular files only, byte-order mark dropped) and loads
// it; a failure comes with its explanation.
CatalogueLoadResult loadCatalogueFile(const std::string& path, Catalogue& catalogue);

// What made the catalogue at `path` unusable and what to do, in plain sentences.
std::string explainCatalogueFault(const CatalogueFault& fault, std::string_view path);

} // namespace varnu
