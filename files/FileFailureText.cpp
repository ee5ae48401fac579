#include "files/FileFailureText.h"

#include <filesystem>

namespace varnu {

namespace {

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

std::string namedFile(std::string_view path) {
    std::string name = inQuotes(path);
    std::error_code error;
    // A path without a root folder is looked for from the current folder. On Windows "\x" is
    // not absolute (it has no drive) but does not depend on the current folder either.
    if (!std::filesystem::path(path).has_root_directory()) {
        const std::filesystem::path folder = std::filesystem::current_path(error);
        if (!error)
            name += " in the folder " + inQuotes(folder.string());
    }
    return name;
}

std::string groupedNumber(std::uintmax_t number) {
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string byteCountText(std::uintmax_t bytes) {
    return groupedNumber(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string explainFileFailure(const FileFailure& failure) {
    const std::string file = namedFile(failure.path);
    const std::string kind(failure.kind);
    switch (failure.problem) {
    case FileProblem::Missing:
        return "There is no file " + file + ". Check the name and the folder, or choose another " + kind + ".";
    case FileProblem::NoPermission:
        return "The file " + file +
               " cannot be opened: permission to read it is denied. Ask for read access to it, or copy it to a "
               "folder of your own.";
    case FileProblem::Directory:
        return file + " is a folder, not a file. Choose a " + kind + " in it.";
    case FileProblem::NotRegularFile:
        return file + " is " + failure.detail + ", not a file saved on disk. Only files saved on disk are read as a " +
               kind + ": choose one.";
    case FileProblem::TooLarge:
        return "The file " + file + " holds " + byteCountText(failure.size) + ", more than any " + kind +
               " can (at most " + byteCountText(failure.limit) + "). Check that the right file was chosen.";
    case FileProblem::Unreadable:
        return "The file " + file + " could not be read" +
               (failure.detail.empty() ? std::string(" to the end") : ": " + failure.detail) +
               ". Check the disk or the network share it is on, then try again.";
    case FileProblem::NotText:
        return "The file " + file + " is not readable as text: its byte number " + std::to_string(failure.size) +
               " is a NUL byte, as in binary files and in text saved as UTF-16 (\"Unicode\"). Save the " + kind +
               " as plain text (ANSI, Shift-JIS or UTF-8), or choose another file.";
    }
    return "The file " + file + " cannot be used.";
}

} // namespace varnu
