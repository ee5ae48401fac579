#pragma once
// The window's files on disk: Save and Save trace replace a file whole or not at all.

#include <QByteArray>
#include <QString>

namespace varnu {

// Writes through a temporary file that replaces `path` only when every byte reached the disk,
// so a failed save (a full disk, a size limit) leaves the old file as it was. Empty when saved,
// else what failed and that the old file is unchanged, in sentences for the message box that
// name what was saved (`what`: "list", "trace").
QString saveWholeFile(const QString& path, const QByteArray& bytes, const QString& what);

} // namespace varnu
