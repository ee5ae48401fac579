#include "files/ReadWholeFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace varnu {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kReadChunkBytes = 64 * 1024;

FileContent failed(FileProblem problem, const std::string& path, const FileReadRules& rules, std::string detail = {}) {
    return {{}, FileFailure{problem, path, rules.kind, std::move(detail)}};
}

// The system's words for the error in `code`, or nothing when there is none.
std::string systemWords(int code) {
    return code == 0 ? std::string() : std::generic_category().message(code);
}

FileContent failedToOpen(std::error_code error, const std::string& path, const FileReadRules& rules) {
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        return failed(FileProblem::Missing, path, rules);
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return failed(FileProblem::NoPermission, path, rules);
    if (error == std::errc::is_a_directory)
        return failed(FileProblem::Directory, path, rules);
    return failed(FileProblem::Unreadable, path, rules, systemWords(error.value()));
}

// What a file that is not a regular file is, in words; nothing for a regular file.
std::optional<std::string_view> otherFileType(fs::file_type type) {
    switch (type) {
    case fs::file_type::regular:
        return std::nullopt;
    case fs::file_type::fifo:
        return "a named pipe";
    case fs::file_type::character:
    case fs::file_type::block:
        return "a device";
    case fs::file_type::socket:
        return "a socket";
    default:
        return "not a regular file";
    }
}

} // namespace

FileContent readWholeStream(std::istream& in, const std::string& path, const FileReadRules& rules) {
    FileContent content;
    std::string& bytes = content.bytes;
    errno = 0;
    // One byte past the limit tells a file at the limit from a larger one (a file can grow
    // after its size was looked at).
    while (in && bytes.size() <= rules.maxBytes) {
        const std::size_t at = bytes.size();
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uintmax_t>(kReadChunkBytes, rules.maxBytes + 1 - static_cast<std::uintmax_t>(at)));
        bytes.resize(at + want);
        in.read(bytes.data() + at, static_cast<std::streamsize>(want));
        bytes.resize(at + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        content.failure = FileFailure{FileProblem::Unreadable, path, rules.kind, systemWords(errno)};
        return content;
    }
    if (bytes.size() > rules.maxBytes) {
        content.failure = FileFailure{FileProblem::TooLarge, path, rules.kind, {}, bytes.size(), rules.maxBytes};
        content.bytes.clear();
        return content;
    }
    if (const std::size_t nul = bytes.find('\0'); rules.textOnly && nul != std::string::npos) {
        content.failure = FileFailure{FileProblem::NotText, path, rules.kind, {}, nul + 1, 0};
        content.bytes.clear();
        return content;
    }
    if (rules.dropByteOrderMark && bytes.starts_with(kUtf8ByteOrderMark))
        bytes.erase(0, kUtf8ByteOrderMark.size());
    return content;
}

FileContent readWholeFile(const std::string& path, const FileReadRules& rules) {
    // The type is looked at before opening: opening a named pipe for reading blocks until a
    // writer comes.
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error && status.type() != fs::file_type::not_found)
        return failedToOpen(error, path, rules);
    if (status.type() == fs::file_type::not_found)
        return failed(FileProblem::Missing, path, rules);
    if (status.type() == fs::file_type::directory)
        return failed(FileProblem::Directory, path, rules);
    if (const auto other = otherFileType(status.type()))
        return failed(FileProblem::NotRegularFile, path, rules, std::string(*other));

    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > rules.maxBytes)
        return {{}, FileFailure{FileProblem::TooLarge, path, rules.kind, {}, size, rules.maxBytes}};

    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return failedToOpen(std::error_code(errno, std::generic_category()), path, rules);
    return readWholeStream(in, path, rules);
}

} // namespace varnu
