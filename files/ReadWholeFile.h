#pragma once
// Reading a file the tool is given by name (a list file, a catalogue, a simulator rules file)
// whole into memory. Only regular files are read: a named pipe can keep the reader waiting for
// ever and a device such as /dev/zero never ends, so both are refused before they are opened.
// Every use has its own size limit, far above any real file of its kind, so that a wrong file
// fails at once instead of filling the memory. Failures come back as values; the caller shows
// them (explainFileFailure gives the sentences).

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace varnu {

enum class FileProblem {
    Missing,        // nothing under that name, or a folder on the way is missing
    NoPermission,   // the system refused to open it for reading
    Directory,      // a folder
    NotRegularFile, // a named pipe, a device or a socket
    TooLarge,       // larger than the limit of its use
    Unreadable,     // opening or reading failed for another reason (an input/output error)
    NotText,        // it holds a NUL byte, which no text file in a single-byte or UTF-8 encoding does
};

struct FileFailure {
    FileProblem problem{};
    std::string path{};
    std::string_view kind{};  // what the file was read as: "list file", "catalogue", "rules file"
    std::string detail{};     // NotRegularFile: what it is instead; Unreadable: the system's words (may be empty)
    std::uintmax_t size = 0;  // TooLarge: the bytes found; NotText: the number of the first NUL byte, from 1
    std::uintmax_t limit = 0; // TooLarge: the limit of this use
};

// How one use reads its files.
struct FileReadRules {
    std::string_view kind;
    std::uintmax_t maxBytes;
    bool dropByteOrderMark; // a leading UTF-8 byte-order mark (EF BB BF) is not part of the text
    bool textOnly;          // a NUL byte makes the file unusable (binary data, or UTF-16 text)
};

inline constexpr std::uintmax_t kMebibyte = 1024 * 1024;
// List files are opened whatever they hold: a line that is no frame text is skipped and reported.
inline constexpr FileReadRules kListFileRead{"list file", 256 * kMebibyte, true, false};
// The catalogue's profile reader drops the byte-order mark itself, for bytes from any source.
inline constexpr FileReadRules kCatalogueRead{"catalogue", 256 * kMebibyte, false, true};
inline constexpr FileReadRules kRulesFileRead{"rules file", 1 * kMebibyte, true, true};

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

struct FileContent {
    std::string bytes{}; // after a failure while reading: the bytes read before it
    std::optional<FileFailure> failure{};

    bool ok() const { return !failure; }
};

FileContent readWholeFile(const std::string& path, const FileReadRules& rules);

// The reading part of readWholeFile on a stream that is already open (tests hand in streams
// that fail); `path` only names the file in a failure.
FileContent readWholeStream(std::istream& in, const std::string& path, const FileReadRules& rules);

} // namespace varnu
