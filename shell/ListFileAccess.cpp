#include "shell/ListFileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "transmit_list/ListFile.h"

namespace varnu {
namespace {

constexpr qint64 kReadBlockBytes = 64 * 1024;

} // namespace

bool readListFileInto(const QString& path, TransmitList& list) {
    list.removeAll();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    ListFileReader reader;
    QByteArray block(kReadBlockBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0) {
            list.appendEntries(reader.takeEntries());
            return false;
        }
        if (got == 0)
            break;
        reader.feed(std::string_view(block.constData(), static_cast<std::size_t>(got)));
    }
    list.appendEntries(reader.takeEntries());
    list.applyOpenWidth();
    return true;
}

bool saveWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() alone would replace the old file after a short write: check every step first.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting(); // the temporary file goes with `file`; the old one stays
        return false;
    }
    return file.commit();
}

} // namespace varnu
