#include "catalogue_text/CatalogueText.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

// The window's text and varnu-cli's output agree for either encoding; a CP932 trail byte that
// equals "\" stays part of its character.
TEST(CatalogueText, DecodesCp932AndKeepsUtf8AsItIs) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
        std::string utf8;
    } cases[] = {
        {"\x95\x5C\x8E\xA6", TextEncoding::Cp932, "\xE8\xA1\xA8\xE7\xA4\xBA"},        // 表示
        {"Level \xB1", TextEncoding::Cp932, "Level \xEF\xBD\xB1"},                    // half-width katakana
        {"\x89\xE6\x8E\xBF", TextEncoding::Cp932, "\xE7\x94\xBB\xE8\xB3\xAA"},        // 画質
        {"\xE7\x94\xBB\xE8\xB3\xAA", TextEncoding::Utf8, "\xE7\x94\xBB\xE8\xB3\xAA"}, // 画質
        {"Unit\\Panel", TextEncoding::Utf8, "Unit\\Panel"},
        {"", TextEncoding::Cp932, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(catalogueUtf8(c.bytes, c.encoding), c.utf8) << c.bytes;
        EXPECT_EQ(catalogueText(c.bytes, c.encoding), QString::fromStdString(c.utf8)) << c.bytes;
    }
}

} // namespace
} // namespace varnu
