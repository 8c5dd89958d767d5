#pragma once
// A picture set as the set window edits it: the set, the file it was opened
// from or saved to, and whether it changed since. The window shows it and
// turns the user's gestures into these calls; nothing here knows a widget.

#include "sets/SetFile.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace wheel {

class SetDocument {
public:
    const PictureSet& Set() const { return m_set; }
    // Absolute; empty for a set that was never saved.
    const QString& Path() const { return m_path; }
    bool Modified() const { return m_bModified; }

    // An empty set in 48-picture mode, with no file.
    void New();
    // Reads the file; a refused file leaves the document as it was.
    bool Open(const QString& path, SetFileError* error = nullptr);
    // Writes the set; once written, `path` is the document's file.
    bool Save(const QString& path, SetFileError* error = nullptr);

    // A picture put into a box starts from the default adjustments.
    void Put(int box, const QString& picture);
    void Clear(int box);
    // False for an empty box.
    bool Adjust(int box, const PictureAdjustments& adjustments);
    void SetMode48(bool on);

    // Pictures dropped on `box`. One picture goes there, whatever the box
    // held. Several go into `box` and the boxes after it, one each, as long
    // as those are empty: a filled box or the end of the set stops them, and
    // the pictures left over are refused. Nothing is skipped or overwritten.
    struct Dropped {
        std::vector<int> boxes;  // the boxes filled, in order
        QStringList refused;     // the pictures that found no box
    };
    Dropped Drop(int box, const QStringList& pictures);

private:
    void Change(const PictureSet& changed);

    PictureSet m_set;
    QString m_path;
    bool m_bModified = false;
};

} // namespace wheel
