#include "catalogue_text/CatalogueText.h"

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

std::string catalogueUtf8(std::string_view bytes, TextEncoding encoding) {
    if (encoding != TextEncoding::Cp932)
        return std::string(bytes);
    return catalogueText(bytes, encoding).toStdString();
}

} // namespace varnu
