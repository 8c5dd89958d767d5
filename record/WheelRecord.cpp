#include "record/WheelRecord.h"

#include "io/LocalPath.h"
#include "io/OutputFile.h"
#include "io/ReadFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>

namespace wheel {

namespace {

constexpr const char* kFormat = "wheel-record";
constexpr std::uint64_t kMaxRecordBytes = 1 << 20;

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

bool Problem(QString* problem, const QString& text)
{
    if (problem)
        *problem = text;
    return false;
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

WheelRecord ReadRecord(const QString& path, QString* problem)
{
    if (problem)
        problem->clear();
    WheelRecord record;
    const ReadResult file = ReadFile(LocalPath(path), kMaxRecordBytes);
    if (file.failure.error == ReadError::Missing)
        return record;
    if (!file) {
        Problem(problem, QString::fromStdString(file.failure.error == ReadError::Unreadable
                                                    ? SystemReason(file.failure.code)
                                                    : file.failure.Text()));
        return record;
    }
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(file.bytes.data()), static_cast<qsizetype>(file.bytes.size())));
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")) != QJsonValue(QString::fromLatin1(kFormat))
        || root.value(QStringLiteral("version")) != QJsonValue(1)) {
        Problem(problem, QStringLiteral("not a record of the wheel light's slots"));
        return record;
    }
    WheelRecord read;
    for (const QJsonValue& value : root.value(QStringLiteral("slots")).toArray()) {
        const QJsonObject entry = value.toObject();
        const int box = entry.value(QStringLiteral("box")).toInt();
        if (box < 1 || box > kSlotBoxes || !SlotFromJson(entry, read.Box(box))) {
            Problem(problem, QStringLiteral("damaged record"));
            return record;
        }
    }
    return read;
}

bool WriteRecord(const WheelRecord& record, const QString& path, QString* problem)
{
    QJsonArray entries;
    for (int box = 1; box <= kSlotBoxes; ++box)
        entries.append(SlotToJson(box, record.Box(box)));
    const QJsonObject root{{QStringLiteral("format"), QString::fromLatin1(kFormat)},
                           {QStringLiteral("version"), 1},
                           {QStringLiteral("slots"), entries}};
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Problem(problem, QStringLiteral("cannot make the folder %1").arg(QFileInfo(path).absolutePath()));
    OutputError error;
    const std::span data(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    if (!WriteOutputFile(LocalPath(path), data, &error))
        return Problem(problem, QString::fromStdString(error.reason));
    return true;
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

RecordKeeper::RecordKeeper(QString path)
    : m_path(std::move(path))
{
}

namespace {

// Reads, changes and writes the record under its lock file.
template <typename Change>
bool Update(const QString& path, QString* problem, Change change)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(2000))
        return Problem(problem, QStringLiteral("the record is locked by another program (%1.lock)").arg(path));
    QString readProblem;
    WheelRecord record = ReadRecord(path, &readProblem);
    change(record);
    // A damaged record is replaced: its slots are all unknown now anyway.
    return WriteRecord(record, path, problem);
}

} // namespace

bool RecordKeeper::Started(const std::vector<std::uint8_t>& slotBytes, SlotNames names, QString* problem)
{
    m_writing = slotBytes;
    m_names = std::move(names);
    return Update(m_path, problem, [&](WheelRecord& record) {
        for (std::uint8_t slot : slotBytes)
            record.Box(BoxOfSlot(slot)).writing = true;
    });
}

bool RecordKeeper::Ended(const DownloadOutcome& outcome, QString* problem)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const bool ok = Update(m_path, problem, [&](WheelRecord& record) {
        for (std::uint8_t slot : m_writing)
            record.Box(BoxOfSlot(slot)).writing = false;
        for (const SlotPicture& picture : outcome.confirmed) {
            const PictureName& name = m_names.Of(picture.slot);
            record.Box(BoxOfSlot(picture.slot)) = {true, false, picture.block, name.name, name.path, now};
        }
        for (std::uint8_t slot : outcome.unfinished)
            record.Box(BoxOfSlot(slot)) = {};
    });
    m_writing.clear();
    return ok;
}

} // namespace wheel
