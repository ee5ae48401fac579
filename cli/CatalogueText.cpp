#include "cli/CatalogueText.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace varnu::cli {

std::string toUtf8(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8)
        return std::string(bytes);
    QStringDecoder decoder("Shift_JIS");
    const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return text.toUtf8().toStdString();
}

} // namespace varnu::cli
