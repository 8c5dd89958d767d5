#pragma once
// The record of what the wheel light holds. The wheel light cannot be read
// back, so after every download it confirmed (a picture into its slots, a
// picture set, a factory reset) the editor and wheelctl note, per slot box,
// the 496-byte block sent, the picture's name and the time. A slot whose
// picture a download started and did not finish is "unknown" afterwards;
// slots a download never reached keep what they held. While a download runs,
// the slots it will write are marked as being written, so that a record left
// behind by a program that died meanwhile says "unknown" for them too.
//
// The record is a small JSON file in the editor's data folder, written
// atomically; the simulated wheel light has one of its own. It is the
// program's own file: never written through a link or into anything that is
// not a regular file, never replaced when it cannot be read
// (record/RecordKeeper.h).

#include "picture/WheelFrame.h"
#include "protocol/DownloadList.h"
#include "protocol/SlotTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace wheel {

struct RecordedSlot {
    bool known = false;    // what follows holds
    bool writing = false;  // a download is writing the slot (or died doing so)
    TransferBlock block{};
    QString name;          // the picture's file name, "出厂图片" or "DIY"
    QString path;          // the picture file, absolute; empty for the built-in and DIY pictures
    QDateTime time;        // when the wheel light confirmed it
    // Known and not being written: what the wheel light shows in this slot.
    bool Holds() const { return known && !writing; }
};

struct WheelRecord {
    std::array<RecordedSlot, kSlotBoxes> boxes;  // boxes[box - 1]
    RecordedSlot& Box(int box) { return boxes.at(static_cast<std::size_t>(box - 1)); }
    const RecordedSlot& Box(int box) const { return boxes.at(static_cast<std::size_t>(box - 1)); }
};

// The names of the pictures that are no file of the user's.
inline constexpr const char* kFactoryRecordName = "出厂图片";
inline constexpr const char* kDiyRecordName = "DIY";

// The box (1..20) of a slot byte (0..19): slot 0 is box 20.
int BoxOfSlot(std::uint8_t slot);

// The record's file: in the editor's data folder (its AppDataLocation,
// ~/.local/share/wheel-editor), which wheelctl shares; the simulated wheel
// light's apart from the real one's.
QString RecordFilePath(bool simulated);

// What became of the record when it was read or updated.
struct RecordNews {
    enum class Status {
        Kept,         // read (a missing file is an empty record), or written
        Damaged,      // read: there, but not a record this program wrote
        Unavailable,  // not a regular file (a link, a folder, a FIFO ...) or
                      // unreadable: left exactly as it is, and not written
        Unwritable,   // an update could not be written: the record may now
                      // be out of date
    };
    enum class Why { None, Link, Folder, NotRegular, TooLarge, NotARecord, Locked, System };

    Status status = Status::Kept;
    Why why = Why::None;
    std::string systemReason;  // Why::System: the system's own words
    QString path;              // the record
    QString movedTo;           // an update found it damaged and renamed it to this, then started anew
    bool repeated = false;     // an update of a download that said the same before

    bool Ok() const { return status == Status::Kept; }
    static RecordNews Of(Status status, Why why, QString path, std::string systemReason = {})
    {
        RecordNews news;
        news.status = status;
        news.why = why;
        news.systemReason = std::move(systemReason);
        news.path = std::move(path);
        return news;
    }
};

// What to tell about the news, naming the record, or nothing when there is
// nothing to tell: in the editor's language (Chinese, translated where
// shown) and in English for wheelctl.
QString RecordNewsText(const RecordNews& news);
std::string RecordNewsTextEnglish(const RecordNews& news);

// Reads a record. Every slot is unknown when it is missing, damaged or
// unavailable (`news` says which). Never waits for a FIFO and never follows
// a link: the record is the program's own file.
WheelRecord ReadRecord(const QString& path, RecordNews* news = nullptr);

// The record's bytes as written, and the record in bytes read (false for
// anything this program did not write).
QByteArray RecordBytes(const WheelRecord& record);
bool ParseRecord(const QByteArray& bytes, WheelRecord& record);

// Larger than this is no record of ours.
inline constexpr std::uint64_t kMaxRecordBytes = 1 << 20;

// The name a slot's picture is recorded under.
struct PictureName {
    QString name;
    QString path;
    static PictureName OfFile(const QString& path);  // the file's name and absolute path
    static PictureName Builtin(const char* name);    // kFactoryRecordName, kDiyRecordName
};

// The names of a download's pictures: by slot byte, else `all`.
struct SlotNames {
    std::map<std::uint8_t, PictureName> bySlot;
    PictureName all;
    const PictureName& Of(std::uint8_t slot) const;
};

} // namespace wheel
