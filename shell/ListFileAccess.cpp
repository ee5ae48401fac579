#include "shell/ListFileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace varnu {

QString saveWholeFile(const QString& path, const QByteArray& bytes, const QString& what) {
    QSaveFile file(path);
    // commit() alone would replace the old file after a short write: check every step first.
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
                         file.error() == QFileDevice::NoError;
    if (written && file.commit())
        return {};
    const QString reason = file.errorString();
    file.cancelWriting(); // the temporary file goes with `file`; the old one stays
    return QStringLiteral("The %1 could not be saved to \"%2\": %3. A file that was there before is unchanged. "
                          "Check that the folder can be written and the disk has room, or choose another name.")
        .arg(what, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), reason);
}

} // namespace varnu
