#include "shell/GlyphFallback.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace varnu {
namespace {

// The full-width forms of ASCII 0x21 to 0x7E.
constexpr char16_t kFullWidthFirst = 0xFF01;
constexpr char16_t kFullWidthLast = 0xFF5E;
constexpr char16_t kFullWidthToAscii = 0xFEE0;

bool isFullWidthForm(QChar ch) {
    return ch.unicode() >= kFullWidthFirst && ch.unicode() <= kFullWidthLast;
}

bool machineHasJapaneseFont() {
    static const bool has = !QFontDatabase::families(QFontDatabase::Japanese).isEmpty();
    return has;
}

} // namespace

QString drawableText(const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    QString drawable = text;
    for (QChar& ch : drawable) {
        if (isFullWidthForm(ch) && !metrics.inFont(ch) && !machineHasJapaneseFont())
            ch = QChar(static_cast<char16_t>(ch.unicode() - kFullWidthToAscii));
    }
    return drawable;
}

} // namespace varnu
