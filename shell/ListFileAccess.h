#pragma once
// The Transmit List's files on disk: Open reads a list file into the list, Save replaces a
// file with the list's bytes whole or not at all.

#include <QByteArray>
#include <QString>

#include "transmit_list/TransmitList.h"

namespace varnu {

// Empties the list, then appends the accepted lines of the file and sets the Open widths.
// False when the file cannot be opened or a read fails: the list then keeps the entries read
// before the failure and its widths are not set again. Only regular files are read (a device
// or a pipe could feed a line that never ends).
bool readListFileInto(const QString& path, TransmitList& list);

// Writes through a temporary file that replaces `path` only when every byte reached the disk,
// so a failed save (a full disk, a size limit) leaves the old file as it was.
bool saveWholeFile(const QString& path, const QByteArray& bytes);

} // namespace varnu
