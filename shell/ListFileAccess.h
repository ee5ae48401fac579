#pragma once
// The window's files on disk: Open reads a list file into the list (through the core's
// reader); Save and Save trace replace a file whole or not at all.

#include <QByteArray>
#include <QString>

#include "transmit_list/ListFile.h"
#include "transmit_list/TransmitList.h"

namespace varnu {

// Empties the list, then appends the accepted lines of the file and sets the Open widths.
// When the file cannot be read whole, the list keeps the entries of the lines read before the
// failure and its widths are not set again. Only regular files are read (a device or a pipe
// could feed a line that never ends). The result says what became of each line.
LoadedListFile readListFileInto(const QString& path, TransmitList& list);

// Writes through a temporary file that replaces `path` only when every byte reached the disk,
// so a failed save (a full disk, a size limit) leaves the old file as it was. Empty when saved,
// else what failed and that the old file is unchanged, in sentences for the message box that
// name what was saved (`what`: "list", "trace").
QString saveWholeFile(const QString& path, const QByteArray& bytes, const QString& what);

} // namespace varnu
