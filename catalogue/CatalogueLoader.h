#pragma once
// Fills a Catalogue from the catalogue file (varnu.ini). The caller reads the file and shows
// the failure text; the loader does no I/O.

#include "catalogue/Catalogue.h"
#include "catalogue/ProfileFile.h"

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

struct CatalogueLoadResult {
    bool ok = false;
    std::string_view message; // kCatalogueLoadFailure when !ok, else empty

    explicit operator bool() const { return ok; }
};

// Clears `catalogue`, then reads the classes, their functions and one form per distinct target
// name. Fails, leaving `catalogue` empty, when the "GROUP" "SIZE" is missing or 0, or when a
// "SIZE" or the sum of all of them is out of range (see the limits above).
CatalogueLoadResult loadCatalogue(const ProfileFile& file, Catalogue& catalogue);

// The same from the file's bytes; std::nullopt stands for a file that is not there.
CatalogueLoadResult loadCatalogue(const std::optional<std::string>& fileBytes, Catalogue& catalogue);

} // namespace varnu
