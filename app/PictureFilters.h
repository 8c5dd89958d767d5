#pragma once
// The filter list of the "打开图片" file dialog, in Qt's "label (patterns)"
// form. The first entry is preselected; its label says all files but it lists
// the four picture extensions only.

#include <QStringList>

namespace wheel {

QStringList PictureFileFilters();

// The patterns Qt takes from a filter: the words inside its last parentheses.
QStringList FilterPatterns(const QString& filter);

} // namespace wheel
