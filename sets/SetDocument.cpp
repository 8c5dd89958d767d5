#include "sets/SetDocument.h"

#include <QDir>
#include <QFileInfo>

namespace wheel {

void SetDocument::New()
{
    m_set = {};
    m_path.clear();
    m_bModified = false;
}

bool SetDocument::Open(const QString& path, SetFileError* error)
{
    std::optional<PictureSet> set = ReadSetFile(path, error);
    if (!set)
        return false;
    m_set = std::move(*set);
    m_path = QFileInfo(path).absoluteFilePath();
    m_bModified = false;
    return true;
}

bool SetDocument::Save(const QString& path, SetFileError* error)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!WriteSetFile(m_set, absolute, error))
        return false;
    m_path = absolute;
    m_bModified = false;
    return true;
}

void SetDocument::Change(const PictureSet& changed)
{
    if (changed == m_set)
        return;
    m_set = changed;
    m_bModified = true;
}

void SetDocument::Put(int box, const QString& picture)
{
    PictureSet changed = m_set;
    changed.Cell(box) = SetCell{QDir::cleanPath(QFileInfo(picture).absoluteFilePath()), {}};
    Change(changed);
}

void SetDocument::Clear(int box)
{
    PictureSet changed = m_set;
    changed.Cell(box).reset();
    Change(changed);
}

bool SetDocument::Adjust(int box, const PictureAdjustments& adjustments)
{
    if (!m_set.Cell(box))
        return false;
    PictureSet changed = m_set;
    changed.Cell(box)->adjustments = adjustments;
    Change(changed);
    return true;
}

void SetDocument::SetMode48(bool on)
{
    PictureSet changed = m_set;
    changed.mode48 = on;
    Change(changed);
}

SetDocument::Dropped SetDocument::Drop(int box, const QStringList& pictures)
{
    Dropped dropped;
    if (pictures.size() == 1) {
        Put(box, pictures.first());
        dropped.boxes.push_back(box);
        return dropped;
    }
    int next = box;
    for (const QString& picture : pictures) {
        if (next <= kSlotBoxes && !m_set.Cell(next)) {
            Put(next, picture);
            dropped.boxes.push_back(next++);
        } else {
            next = kSlotBoxes + 1;  // stopped: the rest find no box
            dropped.refused << picture;
        }
    }
    return dropped;
}

} // namespace wheel
