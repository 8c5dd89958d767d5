#pragma once
// The .wheelset files that keep picture sets (UTF-8 JSON):
//
//   {
//     "format": "wheel-set",
//     "version": 1,
//     "mode48": true,
//     "slots": [
//       { "box": 1, "picture": "sunrise.jpg", "rotate": 0, "fit": "stretch", "threshold": "auto", "invert": false },
//       { "box": 20, "picture": "logos/club.png", "rotate": 90, "fit": "fit", "threshold": 140, "invert": true },
//       { "box": 7, "picture": "cat.jpg", "rotate": 0, "fit": "crop", "threshold": "auto", "invert": false,
//         "tone": "dither" }
//     ]
//   }
//
// "box" is the slot box 1..20 as the window labels them (box 20 is slot 0 on
// the wire); boxes not listed are empty. The adjustments may be left out and
// take their defaults; "tone" ("threshold", "dither" or "outline") is written
// only when it is not the threshold, so that sets without tones keep their
// bytes. "picture" is relative to the set file's folder, or
// absolute; a set is saved with relative paths for the pictures in or below
// its folder. Reading refuses the whole file, loading nothing, for anything
// but a picture that is missing or cannot be loaded: that one is the cell's
// problem, found when it is rendered.

#include "sets/PictureSet.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

namespace wheel {

// A set file larger than this is not read.
inline constexpr qint64 kMaxSetFileBytes = 1 << 20;

struct SetFileError {
    enum class Reason {
        None,
        Missing,       // no such file
        Unreadable,    // detail: the system's reason
        TooLarge,      // more than kMaxSetFileBytes
        InvalidJson,   // detail: where and why
        NotASet,       // no "format": "wheel-set"
        NewerVersion,  // detail: the version
        BadVersion,    // no whole "version" of 1 or more
        BadMode48,
        BadSlots,      // "slots" is not a list of objects
        BadBox,        // detail: the value
        BoxTwice,      // box
        NoPicture,     // box
        BadRotate,     // box
        BadFit,        // box
        BadThreshold,  // box
        BadInvert,     // box
        BadTone,       // box
        Unwritable,    // detail: the system's reason
    };
    Reason reason = Reason::None;
    int box = 0;
    QString detail;
};

// Reads a set file; nothing, with the error, when it is refused.
std::optional<PictureSet> ReadSetFile(const QString& path, SetFileError* error = nullptr);
// The same for bytes read from `path` (which only resolves relative pictures).
std::optional<PictureSet> ParseSetFile(const QByteArray& bytes, const QString& path, SetFileError* error = nullptr);

// The file's bytes for a set saved as `path`, in the layout shown above.
QByteArray SetFileBytes(const PictureSet& set, const QString& path);
// Writes the set atomically (a reader never sees half of it).
bool WriteSetFile(const PictureSet& set, const QString& path, SetFileError* error = nullptr);

// The whole message, naming the file: in the editor's language (Chinese,
// translated where shown) and in English for wheelctl.
QString SetFileErrorText(const QString& path, const SetFileError& error);
std::string SetFileErrorTextEnglish(const QString& path, const SetFileError& error);

} // namespace wheel
