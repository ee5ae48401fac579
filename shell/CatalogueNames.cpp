#include "shell/CatalogueNames.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace varnu {

QString catalogueText(std::string_view bytes, TextEncoding encoding) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (encoding != TextEncoding::Cp932)
        return QString::fromUtf8(view);
    QStringDecoder decoder("Shift_JIS");
    return decoder.isValid() ? QString(decoder(view)) : QString::fromLatin1(view);
}

} // namespace varnu
