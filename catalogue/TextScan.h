#pragma once
// Reading the catalogue file's text byte by byte: which encoding it uses, where the next
// separator is, and the decimal numbers in it. In Shift-JIS (CP932) a lead byte takes the next
// byte with it, and that trail byte may equal an ASCII separator ("|", "\\", "]"), so every
// separator search here steps over double-byte characters.

#include "catalogue/Catalogue.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnu {

bool isValidUtf8(std::string_view bytes);

// Valid UTF-8 (plain ASCII included) is read as UTF-8; anything else as CP932.
TextEncoding detectTextEncoding(std::string_view bytes);

// Bytes taken by the character starting at `pos`: 2 for a CP932 lead byte followed by another
// byte, else 1. UTF-8 is stepped byte by byte: its multi-byte sequences never hold ASCII bytes.
std::size_t characterLength(std::string_view text, std::size_t pos, TextEncoding encoding);

// The first character at or after `from` that is one of `separators`, or npos.
std::size_t findSeparator(std::string_view text, std::string_view separators, std::size_t from, TextEncoding encoding);

// The first character at or after `from` that is not a blank or tab, or text.size().
std::size_t skipBlanks(std::string_view text, std::size_t from);

// The longest prefix of at most `maxBytes` bytes that does not split a character.
std::string_view cutToLength(std::string_view text, std::size_t maxBytes, TextEncoding encoding);

// ASCII letters lowered; bytes of double-byte characters are left alone.
std::string foldCase(std::string_view text, TextEncoding encoding);

// An optional sign, then digits up to the first other character; no digits gives 0.
// The value saturates at the 64-bit limits.
std::int64_t readDecimal(std::string_view text);

// The same, saturated to 32 bits (as the C library's atoi does on Windows).
std::int32_t readDecimal32(std::string_view text);

} // namespace varnu
