// Why a set file was refused, in the editor's language and in English.

#include "sets/SetFile.h"

namespace wheel {

namespace {

using Reason = SetFileError::Reason;

QString Chinese(const SetFileError& e)
{
    const QString box = QString::number(e.box);
    switch (e.reason) {
    case Reason::None: return {};
    case Reason::Missing: return QStringLiteral("文件不存在");
    case Reason::Unreadable: return QStringLiteral("文件无法读取");
    case Reason::TooLarge: return QStringLiteral("文件太大（超过1 MB），不是图片组文件");
    case Reason::InvalidJson: return QStringLiteral("不是有效的JSON文件（%1）").arg(e.detail);
    case Reason::NotASet: return QStringLiteral("不是图片组文件");
    case Reason::NewerVersion: return QStringLiteral("图片组文件的版本%1比本软件新（本软件只能读取版本1）").arg(e.detail);
    case Reason::BadVersion: return QStringLiteral("没有有效的版本号");
    case Reason::BadMode48: return QStringLiteral("mode48只能是true或false");
    case Reason::BadSlots: return QStringLiteral("slots必须是由对象组成的列表");
    case Reason::BadBox: return QStringLiteral("位置%1不是1到20之间的整数").arg(e.detail);
    case Reason::BoxTwice: return QStringLiteral("第%1幅出现了不止一次").arg(box);
    case Reason::NoPicture: return QStringLiteral("第%1幅没有指定图片").arg(box);
    case Reason::BadRotate: return QStringLiteral("第%1幅的旋转角度只能是0、90、180或270").arg(box);
    case Reason::BadFit: return QStringLiteral("第%1幅的fit只能是stretch、fit或crop").arg(box);
    case Reason::BadThreshold: return QStringLiteral("第%1幅的阈值只能是auto或0到254之间的整数").arg(box);
    case Reason::BadInvert: return QStringLiteral("第%1幅的invert只能是true或false").arg(box);
    case Reason::BadTone: return QStringLiteral("第%1幅的tone只能是threshold、dither或outline").arg(box);
    case Reason::Unwritable: return e.detail;
    }
    return {};
}

std::string English(const SetFileError& e)
{
    const std::string box = "box " + std::to_string(e.box);
    const std::string detail = e.detail.toStdString();
    switch (e.reason) {
    case Reason::None: return {};
    case Reason::Missing: return "no such file";
    case Reason::Unreadable: return "cannot be read: " + detail;
    case Reason::TooLarge: return "the file is too large for a picture set (over 1 MB)";
    case Reason::InvalidJson: return "not valid JSON (at character " + detail + ")";
    case Reason::NotASet: return "not a picture set (\"format\" is not \"wheel-set\")";
    case Reason::NewerVersion: return "version " + detail + " is newer than this program reads (1)";
    case Reason::BadVersion: return "no valid \"version\"";
    case Reason::BadMode48: return "\"mode48\" must be true or false";
    case Reason::BadSlots: return "\"slots\" must be a list of objects";
    case Reason::BadBox: return "\"box\" " + detail + " is not a whole number from 1 to 20";
    case Reason::BoxTwice: return box + " is listed more than once";
    case Reason::NoPicture: return box + " names no picture";
    case Reason::BadRotate: return box + ": \"rotate\" must be 0, 90, 180 or 270";
    case Reason::BadFit: return box + ": \"fit\" must be stretch, fit or crop";
    case Reason::BadThreshold: return box + ": \"threshold\" must be auto or a whole number from 0 to 254";
    case Reason::BadInvert: return box + ": \"invert\" must be true or false";
    case Reason::BadTone: return box + ": \"tone\" must be threshold, dither or outline";
    case Reason::Unwritable: return detail;
    }
    return {};
}

} // namespace

QString SetFileErrorText(const QString& path, const SetFileError& error)
{
    const QString pattern = error.reason == Reason::Unwritable ? QStringLiteral("无法保存图片组“%1”：%2")
                                                               : QStringLiteral("无法打开图片组“%1”：%2");
    return pattern.arg(path, Chinese(error));
}

std::string SetFileErrorTextEnglish(const QString& path, const SetFileError& error)
{
    const char* what = error.reason == Reason::Unwritable ? ": cannot write the picture set: "
                                                          : ": cannot read the picture set: ";
    return path.toStdString() + what + English(error);
}

} // namespace wheel
