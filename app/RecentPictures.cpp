#include "app/RecentPictures.h"

#include "app/UserSettings.h"

namespace wheel {

namespace {

const QString kKey = QStringLiteral("recentPictures");

} // namespace

QStringList WithRecentPicture(QStringList list, const QString& path)
{
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kMaxRecentPictures)
        list.removeLast();
    return list;
}

QStringList RecentPictures()
{
    QStringList list = UserSettings().value(kKey).toStringList();
    list.removeAll(QString());
    list.removeDuplicates();
    return list.mid(0, kMaxRecentPictures);
}

void SetRecentPictures(const QStringList& paths)
{
    QSettings settings = UserSettings();
    settings.setValue(kKey, paths);
}

void AddRecentPicture(const QString& path)
{
    SetRecentPictures(WithRecentPicture(RecentPictures(), path));
}

void RemoveRecentPicture(const QString& path)
{
    QStringList list = RecentPictures();
    if (list.removeAll(path) > 0)
        SetRecentPictures(list);
}

} // namespace wheel
