#include "record/WheelRecord.h"

#include "io/LocalPath.h"
#include "io/ReadFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace wheel {

namespace {

constexpr const char* kFormat = "wheel-record";

QJsonObject SlotToJson(int box, const RecordedSlot& slot)
{
    QJsonObject entry{{QStringLiteral("box"), box},
                      {QStringLiteral("slot"), static_cast<int>(SlotNumberForLabel(box))},
                      {QStringLiteral("state"), slot.known ? QStringLiteral("known") : QStringLiteral("unknown")}};
    if (slot.writing)
        entry.insert(QStringLiteral("writing"), true);
    if (slot.known) {
        entry.insert(QStringLiteral("name"), slot.name);
        entry.insert(QStringLiteral("path"), slot.path);
        entry.insert(QStringLiteral("time"), slot.time.toUTC().toString(Qt::ISODate));
        const QByteArray block(reinterpret_cast<const char*>(slot.block.data()), static_cast<qsizetype>(slot.block.size()));
        entry.insert(QStringLiteral("block"), QString::fromLatin1(block.toHex()));
    }
    return entry;
}

// False for an entry that cannot be what we wrote.
bool SlotFromJson(const QJsonObject& entry, RecordedSlot& slot)
{
    slot = {};
    slot.writing = entry.value(QStringLiteral("writing")).toBool();
    const QString state = entry.value(QStringLiteral("state")).toString();
    if (state == QStringLiteral("unknown"))
        return true;
    if (state != QStringLiteral("known"))
        return false;
    const QByteArray block = QByteArray::fromHex(entry.value(QStringLiteral("block")).toString().toLatin1());
    slot.time = QDateTime::fromString(entry.value(QStringLiteral("time")).toString(), Qt::ISODate);
    if (block.size() != static_cast<qsizetype>(kBlockBytes) || !slot.time.isValid())
        return false;
    std::copy(block.begin(), block.end(), slot.block.begin());
    slot.name = entry.value(QStringLiteral("name")).toString();
    slot.path = entry.value(QStringLiteral("path")).toString();
    slot.known = true;
    return true;
}

} // namespace

int BoxOfSlot(std::uint8_t slot)
{
    return slot == 0 ? kSlotBoxes : slot;
}

QString RecordFilePath(bool simulated)
{
    // The editor's AppDataLocation, named here so that wheelctl finds it too.
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/wheel-editor");
    return folder + (simulated ? QStringLiteral("/wheel-record-simulated.json") : QStringLiteral("/wheel-record.json"));
}

QByteArray RecordBytes(const WheelRecord& record)
{
    QJsonArray entries;
    for (int box = 1; box <= kSlotBoxes; ++box)
        entries.append(SlotToJson(box, record.Box(box)));
    const QJsonObject root{{QStringLiteral("format"), QString::fromLatin1(kFormat)},
                           {QStringLiteral("version"), 1},
                           {QStringLiteral("slots"), entries}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool ParseRecord(const QByteArray& bytes, WheelRecord& record)
{
    const QJsonObject root = QJsonDocument::fromJson(bytes).object();
    if (root.value(QStringLiteral("format")) != QJsonValue(QString::fromLatin1(kFormat))
        || root.value(QStringLiteral("version")) != QJsonValue(1))
        return false;
    WheelRecord read;
    for (const QJsonValue& value : root.value(QStringLiteral("slots")).toArray()) {
        const QJsonObject entry = value.toObject();
        const int box = entry.value(QStringLiteral("box")).toInt();
        if (box < 1 || box > kSlotBoxes || !SlotFromJson(entry, read.Box(box)))
            return false;
    }
    record = read;
    return true;
}

WheelRecord ReadRecord(const QString& path, RecordNews* news)
{
    RecordNews told;
    told.path = path;
    WheelRecord record;
    const ReadResult file = ReadFile(LocalPath(path), kMaxRecordBytes, FollowLinks::No);
    using Status = RecordNews::Status;
    using Why = RecordNews::Why;
    switch (file.failure.error) {
    case ReadError::None:
        if (!ParseRecord(QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                                    static_cast<qsizetype>(file.bytes.size())),
                         record))
            told = RecordNews::Of(Status::Damaged, Why::NotARecord, path);
        break;
    case ReadError::Missing: break;
    case ReadError::TooLarge: told = RecordNews::Of(Status::Damaged, Why::TooLarge, path); break;
    case ReadError::Link: told = RecordNews::Of(Status::Unavailable, Why::Link, path); break;
    case ReadError::Folder: told = RecordNews::Of(Status::Unavailable, Why::Folder, path); break;
    case ReadError::NotRegular: told = RecordNews::Of(Status::Unavailable, Why::NotRegular, path); break;
    case ReadError::Unreadable:
        told = RecordNews::Of(Status::Unavailable, Why::System, path, SystemReason(file.failure.code));
        break;
    }
    if (news)
        *news = told;
    return record;
}

PictureName PictureName::OfFile(const QString& path)
{
    const QFileInfo info(path);
    return {info.fileName(), info.absoluteFilePath()};
}

PictureName PictureName::Builtin(const char* name)
{
    return {QString::fromUtf8(name), {}};
}

const PictureName& SlotNames::Of(std::uint8_t slot) const
{
    const auto it = bySlot.find(slot);
    return it != bySlot.end() ? it->second : all;
}

} // namespace wheel
