#pragma once
// The pictures opened last, newest first, kept in the user's settings
// (~/.config/wheel-editor/wheel-editor.conf) so that every editor started
// later offers them under 文件 > 最近打开.

#include <QString>
#include <QStringList>

namespace wheel {

inline constexpr int kMaxRecentPictures = 8;

// `list` with `path` first, each path once, at most kMaxRecentPictures.
QStringList WithRecentPicture(QStringList list, const QString& path);

// The list as the settings hold it now, and writing it back. Several editors
// may run at once: each reads the list when it needs it.
QStringList RecentPictures();
void SetRecentPictures(const QStringList& paths);

// Shortcuts for the two changes the window makes.
void AddRecentPicture(const QString& path);
void RemoveRecentPicture(const QString& path);

} // namespace wheel
