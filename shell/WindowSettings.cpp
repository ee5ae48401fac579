#include "shell/WindowSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace varnu {
namespace {

const QString kSessionGeometryKey = QStringLiteral("session/geometry");
const QString kLastFolderKey = QStringLiteral("files/lastFolder");
const QString kRecentListsKey = QStringLiteral("files/recentLists");

} // namespace

QByteArray sessionWindowGeometry() {
    return QSettings().value(kSessionGeometryKey).toByteArray();
}

void setSessionWindowGeometry(const QByteArray& geometry) {
    QSettings().setValue(kSessionGeometryKey, geometry);
}

QString lastListFolder() {
    return QSettings().value(kLastFolderKey).toString();
}

void setLastListFolder(const QString& folder) {
    QSettings().setValue(kLastFolderKey, folder);
}

QStringList recentLists() {
    return QSettings().value(kRecentListsKey).toStringList();
}

void addRecentList(const QString& path) {
    const QFileInfo file(path);
    QSettings settings;
    settings.setValue(kRecentListsKey, withRecentList(recentLists(), file.absoluteFilePath()));
    settings.setValue(kLastFolderKey, file.absolutePath());
}

QStringList withRecentList(QStringList lists, const QString& path, int kept) {
    lists.removeAll(path);
    lists.prepend(path);
    while (lists.size() > kept)
        lists.removeLast();
    return lists;
}

} // namespace varnu
