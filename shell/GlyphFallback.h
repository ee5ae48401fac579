#pragma once
// Full-width punctuation ("Data：", the range hint's brackets) needs a Japanese font. Where the
// machine has none, the ASCII counterpart is drawn instead of an empty box; the text itself
// (what the exchange moves) stays as it is.

#include <QFont>
#include <QString>

namespace varnu {

QString drawableText(const QString& text, const QFont& font);

} // namespace varnu
