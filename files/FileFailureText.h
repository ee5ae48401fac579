#pragma once
// What a file failure means for the person at the keyboard: the sentences that go below the
// fixed message ("Read Failure.", "Initialization file not found\nor format is incorrect.")
// in the window's message box and on varnu-cli's stderr alike.

#include "files/ReadWholeFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace varnu {

// What failed and what to do, in plain sentences naming the file.
std::string explainFileFailure(const FileFailure& failure);

// The file as a sentence names it: "list.DAT" in quotes, with the folder it was looked for in
// when the name does not say (a catalogue found by its bare name in the working folder).
std::string namedFile(std::string_view path);

// "1,048,577": grouped by thousands.
std::string groupedNumber(std::uintmax_t number);
// "1,048,577 bytes": exact, grouped by thousands.
std::string byteCountText(std::uintmax_t bytes);

} // namespace varnu
