#pragma once
// What the window keeps between runs in the user's settings (QSettings under the application's
// organisation and name): the Session window's place and size, the folder of the last list
// file and the recent lists. The port settings are not kept: every start uses the defaults.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace varnu {

inline constexpr int kRecentListsKept = 8;

QByteArray sessionWindowGeometry();
void setSessionWindowGeometry(const QByteArray& geometry);

// The folder the list file dialogs open in: that of the list last opened or saved.
QString lastListFolder();
void setLastListFolder(const QString& folder);

// The lists last opened or saved, the most recent first, as absolute paths.
QStringList recentLists();
void addRecentList(const QString& path);

// `path` put first, an earlier mention of the same path taken out, at most `kept` left.
QStringList withRecentList(QStringList lists, const QString& path, int kept = kRecentListsKept);

} // namespace varnu
