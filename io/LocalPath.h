#pragma once
// File names between Qt and the system: a QString path as the bytes the
// system calls take (the locale's encoding, as QFile uses), and back.
// Header only, for the parts that use Qt Core; io/ itself does not.

#include <QFile>
#include <QString>

#include <string>

namespace wheel {

inline std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

inline QString FromLocalPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace wheel
