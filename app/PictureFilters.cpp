#include "app/PictureFilters.h"

namespace wheel {

QStringList PictureFileFilters()
{
    return {
        QStringLiteral("所有文件(*.*) (*.bmp *.jpg *.jpeg *.png)"),
        QStringLiteral("BMP(*.bmp) (*.bmp)"),
        QStringLiteral("JPEG(*.jpg,*.jpeg) (*.jpg *.jpeg)"),
        QStringLiteral("PNG(*.png) (*.png)"),
    };
}

QStringList FilterPatterns(const QString& filter)
{
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !filter.endsWith(QLatin1Char(')')))
        return {};
    return filter.mid(open + 1, filter.size() - open - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace wheel
