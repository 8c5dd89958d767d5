#include "sets/SetFile.h"

#include "io/LocalPath.h"
#include "io/OutputFile.h"
#include "io/ReadFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>

namespace wheel {

namespace {

using Reason = SetFileError::Reason;

constexpr const char* kFormat = "wheel-set";
constexpr int kVersion = 1;

bool Refuse(SetFileError* error, Reason reason, int box = 0, const QString& detail = {})
{
    if (error)
        *error = {reason, box, detail};
    return false;
}

// A value as it stands in the file, for messages.
QString ValueText(const QJsonValue& value)
{
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

std::optional<int> WholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::floor(number) != number || std::fabs(number) > 1e9)
        return std::nullopt;
    return static_cast<int>(number);
}

bool ReadCell(const QJsonObject& entry, const QDir& folder, PictureSet& set, SetFileError* error)
{
    const std::optional<int> box = WholeNumber(entry.value(QStringLiteral("box")));
    if (!box || *box < 1 || *box > kSlotBoxes)
        return Refuse(error, Reason::BadBox, 0, ValueText(entry.value(QStringLiteral("box"))));
    if (set.Cell(*box))
        return Refuse(error, Reason::BoxTwice, *box);

    SetCell cell;
    const QString picture = entry.value(QStringLiteral("picture")).toString();
    if (picture.isEmpty())
        return Refuse(error, Reason::NoPicture, *box);
    cell.picture = QDir::cleanPath(folder.absoluteFilePath(picture));

    const QJsonValue rotate = entry.value(QStringLiteral("rotate"));
    if (!rotate.isUndefined()) {
        const std::optional<int> degrees = WholeNumber(rotate);
        const std::optional<Rotation> rotation = degrees ? RotationFromDegrees(*degrees) : std::nullopt;
        if (!rotation)
            return Refuse(error, Reason::BadRotate, *box);
        cell.adjustments.rotate = *rotation;
    }
    const QJsonValue fit = entry.value(QStringLiteral("fit"));
    if (!fit.isUndefined()) {
        const std::optional<FitMode> mode = fit.isString() ? ParseFit(fit.toString().toStdString()) : std::nullopt;
        if (!mode)
            return Refuse(error, Reason::BadFit, *box);
        cell.adjustments.fit = *mode;
    }
    const QJsonValue threshold = entry.value(QStringLiteral("threshold"));
    if (!threshold.isUndefined() && threshold != QJsonValue(QStringLiteral("auto"))) {
        const std::optional<int> value = WholeNumber(threshold);
        if (!value || !IsManualThreshold(*value))
            return Refuse(error, Reason::BadThreshold, *box);
        cell.adjustments.threshold = *value;
    }
    const QJsonValue invert = entry.value(QStringLiteral("invert"));
    if (!invert.isUndefined()) {
        if (!invert.isBool())
            return Refuse(error, Reason::BadInvert, *box);
        cell.adjustments.invert = invert.toBool();
    }
    const QJsonValue tone = entry.value(QStringLiteral("tone"));
    if (!tone.isUndefined()) {
        const std::optional<Tone> kind = tone.isString() ? ParseTone(tone.toString().toStdString()) : std::nullopt;
        if (!kind)
            return Refuse(error, Reason::BadTone, *box);
        cell.adjustments.tone = *kind;
    }
    set.Cell(*box) = cell;
    return true;
}

// A picture in or below the set's folder is named relative to it.
QString SavedPicturePath(const QString& picture, const QDir& folder)
{
    const QString relative = folder.relativeFilePath(picture);
    if (QDir::isAbsolutePath(relative) || relative == QStringLiteral("..") || relative.startsWith(QStringLiteral("../")))
        return picture;
    return relative;
}

} // namespace

std::optional<PictureSet> ReadSetFile(const QString& path, SetFileError* error)
{
    // A FIFO or a device named by mistake is neither waited for nor read.
    const ReadResult read = ReadFile(LocalPath(path), kMaxSetFileBytes);
    switch (read.failure.error) {
    case ReadError::None:
        break;
    case ReadError::Missing:
        Refuse(error, Reason::Missing);
        return std::nullopt;
    case ReadError::TooLarge:
        Refuse(error, Reason::TooLarge);
        return std::nullopt;
    default:
        Refuse(error, Reason::Unreadable, 0,
               QString::fromStdString(read.failure.error == ReadError::Unreadable ? SystemReason(read.failure.code)
                                                                                  : read.failure.Text()));
        return std::nullopt;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(read.bytes.data()), static_cast<qsizetype>(read.bytes.size()));
    return ParseSetFile(bytes, path, error);
}

std::optional<PictureSet> ParseSetFile(const QByteArray& bytes, const QString& path, SetFileError* error)
{
    QByteArray json = bytes;
    if (json.startsWith("\xEF\xBB\xBF"))  // a byte order mark some Windows editors write
        json.remove(0, 3);
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        Refuse(error, Reason::InvalidJson, 0,
               QStringLiteral("%1: %2").arg(parse.offset).arg(parse.errorString()));
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QStringLiteral("format")) != QJsonValue(QString::fromLatin1(kFormat))) {
        Refuse(error, Reason::NotASet);
        return std::nullopt;
    }
    const std::optional<int> version = WholeNumber(root.value(QStringLiteral("version")));
    if (!version || *version < 1) {
        Refuse(error, Reason::BadVersion);
        return std::nullopt;
    }
    if (*version > kVersion) {
        Refuse(error, Reason::NewerVersion, 0, QString::number(*version));
        return std::nullopt;
    }

    PictureSet set;
    const QJsonValue mode48 = root.value(QStringLiteral("mode48"));
    if (!mode48.isUndefined()) {
        if (!mode48.isBool()) {
            Refuse(error, Reason::BadMode48);
            return std::nullopt;
        }
        set.mode48 = mode48.toBool();
    }
    const QJsonValue list = root.value(QStringLiteral("slots"));
    if (!list.isUndefined() && !list.isArray()) {
        Refuse(error, Reason::BadSlots);
        return std::nullopt;
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    for (const QJsonValue& entry : list.toArray()) {
        if (!entry.isObject()) {
            Refuse(error, Reason::BadSlots);
            return std::nullopt;
        }
        if (!ReadCell(entry.toObject(), folder, set, error))
            return std::nullopt;
    }
    if (error)
        *error = {};
    return set;
}

QByteArray SetFileBytes(const PictureSet& set, const QString& path)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    QByteArray out = "{\n  \"format\": \"wheel-set\",\n  \"version\": 1,\n  \"mode48\": ";
    out += set.mode48 ? "true" : "false";
    out += ",\n  \"slots\": [";
    bool first = true;
    for (int box = 1; box <= kSlotBoxes; ++box) {
        const std::optional<SetCell>& cell = set.Cell(box);
        if (!cell)
            continue;
        const PictureAdjustments& a = cell->adjustments;
        out += first ? "\n" : ",\n";
        first = false;
        const std::string_view fit = FitName(a.fit);
        const std::string_view tone = ToneName(a.tone);
        // One pass, so that a "%1" in a file name stays as it is.
        out += QStringLiteral("    { \"box\": %1, \"picture\": %2, \"rotate\": %3, \"fit\": \"%4\", \"threshold\": %5, "
                              "\"invert\": %6%7 }")
                   .arg(QString::number(box), ValueText(SavedPicturePath(cell->picture, folder)),
                        QString::number(Degrees(a.rotate)),
                        QString::fromLatin1(fit.data(), static_cast<qsizetype>(fit.size())),
                        a.threshold ? QString::number(*a.threshold) : QStringLiteral("\"auto\""),
                        a.invert ? QStringLiteral("true") : QStringLiteral("false"),
                        a.tone == Tone::Threshold
                            ? QString()
                            : QStringLiteral(", \"tone\": \"%1\"")
                                  .arg(QString::fromLatin1(tone.data(), static_cast<qsizetype>(tone.size()))))
                   .toUtf8();
    }
    out += first ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

bool WriteSetFile(const PictureSet& set, const QString& path, SetFileError* error)
{
    const QByteArray bytes = SetFileBytes(set, path);
    OutputError failure;
    const std::span data(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    if (!WriteOutputFile(LocalPath(path), data, &failure))
        return Refuse(error, Reason::Unwritable, 0, QString::fromStdString(failure.reason));
    if (error)
        *error = {};
    return true;
}

} // namespace wheel
