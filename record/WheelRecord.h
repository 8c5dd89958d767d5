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
// atomically; the simulated wheel light has one of its own.

#include "picture/WheelFrame.h"
#include "protocol/DownloadList.h"
#include "protocol/SlotTable.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
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

// Reads a record. A missing file is an empty record (every slot unknown);
// so is one that cannot be read or is damaged, with `problem` saying why.
WheelRecord ReadRecord(const QString& path, QString* problem = nullptr);
// Writes it atomically, making the folder if need be.
bool WriteRecord(const WheelRecord& record, const QString& path, QString* problem = nullptr);

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

// Keeps the record as downloads start and end. Each step reads the file
// afresh under a lock file, so that the editor and wheelctl may both keep it.
class RecordKeeper {
public:
    explicit RecordKeeper(QString path);
    const QString& Path() const { return m_path; }

    // A download is about to write these slots (slot bytes), with these names.
    bool Started(const std::vector<std::uint8_t>& slotBytes, SlotNames names, QString* problem = nullptr);
    // It ended: the confirmed slots hold their blocks now, the unfinished
    // ones are unknown, the others it was to write hold what they held.
    bool Ended(const DownloadOutcome& outcome, QString* problem = nullptr);

private:
    QString m_path;
    std::vector<std::uint8_t> m_writing;
    SlotNames m_names;
};

} // namespace wheel
