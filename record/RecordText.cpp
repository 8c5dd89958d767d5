// What to tell about the record, in the editor's language and in English.

#include "record/WheelRecord.h"

namespace wheel {

namespace {

using Status = RecordNews::Status;
using Why = RecordNews::Why;

QString Chinese(const RecordNews& news)
{
    switch (news.why) {
    case Why::None: return {};
    case Why::Link: return QStringLiteral("是符号链接，不是普通文件");
    case Why::Folder: return QStringLiteral("是文件夹");
    case Why::NotRegular: return QStringLiteral("不是普通文件");
    case Why::TooLarge: return QStringLiteral("文件太大");
    case Why::NotARecord: return QStringLiteral("内容不是本软件写的记录");
    case Why::Locked: return QStringLiteral("被另一个程序锁定");
    case Why::System: return QString::fromStdString(news.systemReason);
    }
    return {};
}

std::string English(const RecordNews& news)
{
    switch (news.why) {
    case Why::None: return {};
    case Why::Link: return "it is a symbolic link, not a regular file";
    case Why::Folder: return "it is a folder";
    case Why::NotRegular: return "it is not a regular file";
    case Why::TooLarge: return "it is too large";
    case Why::NotARecord: return "it is not a record this program wrote";
    case Why::Locked: return "it is locked by another program (" + news.path.toStdString() + ".lock)";
    case Why::System: return news.systemReason;
    }
    return {};
}

} // namespace

QString RecordNewsText(const RecordNews& news)
{
    const QString why = Chinese(news);
    switch (news.status) {
    case Status::Kept:
        if (news.movedTo.isEmpty())
            return {};
        return QStringLiteral("风火轮图片记录“%1”已损坏（%2），已改名为“%3”，重新开始记录")
            .arg(news.path, why, news.movedTo);
    case Status::Damaged:
        return QStringLiteral("风火轮图片记录“%1”已损坏（%2），所有位置都算作未知").arg(news.path, why);
    case Status::Unavailable:
        return QStringLiteral("无法使用风火轮图片记录“%1”：%2。记录保持原样，不再更新").arg(news.path, why);
    case Status::Unwritable:
        return QStringLiteral("无法写入风火轮图片记录“%1”：%2。记录可能已经过时").arg(news.path, why);
    }
    return {};
}

std::string RecordNewsTextEnglish(const RecordNews& news)
{
    const std::string path = news.path.toStdString();
    switch (news.status) {
    case Status::Kept:
        if (news.movedTo.isEmpty())
            return {};
        return "the record of the wheel light's slots " + path + " was damaged (" + English(news)
            + "); it is kept as " + news.movedTo.toStdString() + " and a new one started";
    case Status::Damaged:
        return "the record of the wheel light's slots " + path + " is damaged (" + English(news)
            + "); every slot counts as unknown";
    case Status::Unavailable:
        return "the record of the wheel light's slots " + path + " cannot be used: " + English(news)
            + "; it is left as it is and not kept";
    case Status::Unwritable:
        return "cannot write the record of the wheel light's slots " + path + ": " + English(news)
            + "; the record may now be out of date";
    }
    return {};
}

} // namespace wheel
