#include "texts/ShownText.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>
#include <mutex>

namespace wheel {

namespace {

// QT_TRANSLATE_NOOP marks the entries for lupdate; its context is the literal
// of kShownTextContext.

// Whole texts: log lines, message box texts and captions, menu entries, file
// dialog texts, and the reasons that the patterns below carry.
const char* const kTexts[] = {
    // window, menus, captions
    QT_TRANSLATE_NOOP("ShownText", "驰光--自行车风火轮编辑软件V2.0"),
    QT_TRANSLATE_NOOP("ShownText", "关于 Rota(&A)..."),
    QT_TRANSLATE_NOOP("ShownText", "驰光主页(&H)"),
    QT_TRANSLATE_NOOP("ShownText", "驰光网店(&S)"),
    QT_TRANSLATE_NOOP("ShownText", "文件(&F)"),
    QT_TRANSLATE_NOOP("ShownText", "打开图片(&O)…"),
    QT_TRANSLATE_NOOP("ShownText", "最近打开(&R)"),
    QT_TRANSLATE_NOOP("ShownText", "（无）"),
    QT_TRANSLATE_NOOP("ShownText", "清除列表(&C)"),
    QT_TRANSLATE_NOOP("ShownText", "导出预览图(&E)…"),
    QT_TRANSLATE_NOOP("ShownText", "退出(&Q)"),
    QT_TRANSLATE_NOOP("ShownText", "图片(&P)"),
    QT_TRANSLATE_NOOP("ShownText", "图片调整(&T)…"),
    QT_TRANSLATE_NOOP("ShownText", "恢复默认调整(&D)"),
    QT_TRANSLATE_NOOP("ShownText", "按LED显示(&L)"),
    QT_TRANSLATE_NOOP("ShownText", "设备(&D)"),
    QT_TRANSLATE_NOOP("ShownText", "下载(&L)"),
    QT_TRANSLATE_NOOP("ShownText", "校准(&C)"),
    QT_TRANSLATE_NOOP("ShownText", "恢复出厂设置(&R)"),
    QT_TRANSLATE_NOOP("ShownText", "帮助(&H)"),
    QT_TRANSLATE_NOOP("ShownText", "关于(&A)"),
    QT_TRANSLATE_NOOP("ShownText", "主菜单"),
    QT_TRANSLATE_NOOP("ShownText", "DIY画图(&Y)…"),
    QT_TRANSLATE_NOOP("ShownText", "导出预览图"),
    QT_TRANSLATE_NOOP("ShownText", "内存不足，无法这样调整图片"),
    QT_TRANSLATE_NOOP("ShownText", "温馨提示"),
    QT_TRANSLATE_NOOP("ShownText", "温馨提示-_-"),
    QT_TRANSLATE_NOOP("ShownText", "恭喜"),
    QT_TRANSLATE_NOOP("ShownText", "请导入图片!"),
    QT_TRANSLATE_NOOP("ShownText", "请键入一个整数。"),
    QT_TRANSLATE_NOOP("ShownText", "打开"),
    QT_TRANSLATE_NOOP("ShownText", "所有文件(*.*) (*.bmp *.jpg *.jpeg *.png)"),
    // picture files
    QT_TRANSLATE_NOOP("ShownText", "文件不存在"),
    QT_TRANSLATE_NOOP("ShownText", "文件无法读取"),
    QT_TRANSLATE_NOOP("ShownText", "文件是空的"),
    QT_TRANSLATE_NOOP("ShownText", "不是BMP、JPEG或PNG图片"),
    QT_TRANSLATE_NOOP("ShownText", "文件不完整，可能已损坏"),
    QT_TRANSLATE_NOOP("ShownText", "图片太大（超过1亿像素）"),
    QT_TRANSLATE_NOOP("ShownText", "图片已损坏，无法解码"),
    QT_TRANSLATE_NOOP("ShownText", "无法加载图片解码模块，请重新安装本程序"),
    // USB link
    QT_TRANSLATE_NOOP("ShownText", "尝试连接风火轮"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮连接失败"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮已经找到"),
    QT_TRANSLATE_NOOP("ShownText", "读访问打开“驰光”成功"),
    QT_TRANSLATE_NOOP("ShownText", "读访问打开设备失败"),
    QT_TRANSLATE_NOOP("ShownText", "写访问打开“驰光”成功"),
    QT_TRANSLATE_NOOP("ShownText", "写访问打开设备失败"),
    QT_TRANSLATE_NOOP("ShownText", "没有打开设备的权限：请安装udev规则70-wheel-light.rules（packaging/70-wheel-light.rules，"
          "复制到/etc/udev/rules.d/后执行 udevadm control --reload-rules && udevadm trigger）"),
    QT_TRANSLATE_NOOP("ShownText", "关闭设备"),
    QT_TRANSLATE_NOOP("ShownText", "设备未找到"),
    QT_TRANSLATE_NOOP("ShownText", "该设备不支持WriteFile函数。"),
    QT_TRANSLATE_NOOP("ShownText", "无效的写报告句柄，可能是打开设备时失败"),
    QT_TRANSLATE_NOOP("ShownText", "数据正在发送中，暂时不能发送"),
    QT_TRANSLATE_NOOP("ShownText", "无效的读报告句柄，可能是打开设备时失败"),
    QT_TRANSLATE_NOOP("ShownText", "设备已连接"),
    QT_TRANSLATE_NOOP("ShownText", "设备被拔出"),
    // download, calibration, factory reset
    QT_TRANSLATE_NOOP("ShownText", "请先连接USB到风火轮!"),
    QT_TRANSLATE_NOOP("ShownText", "请导入图片,然后下载!"),
    QT_TRANSLATE_NOOP("ShownText", "请先选择需要下载的位置!"),
    QT_TRANSLATE_NOOP("ShownText", "下载成功！"),
    QT_TRANSLATE_NOOP("ShownText", "图片下载完成!"),
    QT_TRANSLATE_NOOP("ShownText", "下载失败，USB被拔出!"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮位置校准成功!"),
    QT_TRANSLATE_NOOP("ShownText", "请输入需要调整的1和90之间的整数角度！"),
    QT_TRANSLATE_NOOP("ShownText", "请输入需要调整的角度！"),
    QT_TRANSLATE_NOOP("ShownText", "哎呀，出错啦！请重新启动软件！"),
    QT_TRANSLATE_NOOP("ShownText", "正在下载图片，请等下载完成后再试！"),
    QT_TRANSLATE_NOOP("ShownText", "正在校准风火轮，请等校准完成后再试！"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮没有应答，下载失败"),
    QT_TRANSLATE_NOOP("ShownText", "下载失败，风火轮没有应答!"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮没有应答，校准失败"),
    QT_TRANSLATE_NOOP("ShownText", "校准失败，风火轮没有应答!"),
    QT_TRANSLATE_NOOP("ShownText", "下载已停止"),
    QT_TRANSLATE_NOOP("ShownText", "正在下载图片。现在退出的话，下载会在当前这一步完成后停止：风火轮已确认收到的图片会记录下来，"
          "正在写入的那一幅将成为未知。\n要停止下载并退出吗？"),
    QT_TRANSLATE_NOOP("ShownText", "停止下载并退出"),
    QT_TRANSLATE_NOOP("ShownText", "继续下载"),
    QT_TRANSLATE_NOOP("ShownText", "下载时退出"),
    QT_TRANSLATE_NOOP("ShownText", "校准已停止"),
    // DIY drawing
    QT_TRANSLATE_NOOP("ShownText", "读取位图文件出错"),
    QT_TRANSLATE_NOOP("ShownText", "本文件不是位图图片"),
    QT_TRANSLATE_NOOP("ShownText", "本图片不是一个真彩色位图"),
    QT_TRANSLATE_NOOP("ShownText", "位图文件不完整或已损坏"),
    QT_TRANSLATE_NOOP("ShownText", "不支持这种位图：只能打开不压缩（或带颜色掩码）、自下而上存放的16、24或32位位图"),
    QT_TRANSLATE_NOOP("ShownText", "位图尺寸太大"),
    QT_TRANSLATE_NOOP("ShownText", "保存位图失败"),
    QT_TRANSLATE_NOOP("ShownText", "程序目录和用户数据目录都不能写入文件"),
    QT_TRANSLATE_NOOP("ShownText", "无法生成位图"),
    // picture sets and the record of the wheel light's slots
    QT_TRANSLATE_NOOP("ShownText", "出厂图片"),
    QT_TRANSLATE_NOOP("ShownText", "文件太大（超过1 MB），不是图片组文件"),
    QT_TRANSLATE_NOOP("ShownText", "不是图片组文件"),
    QT_TRANSLATE_NOOP("ShownText", "没有有效的版本号"),
    QT_TRANSLATE_NOOP("ShownText", "mode48只能是true或false"),
    QT_TRANSLATE_NOOP("ShownText", "slots必须是由对象组成的列表"),
    QT_TRANSLATE_NOOP("ShownText", "是符号链接，不是普通文件"),
    QT_TRANSLATE_NOOP("ShownText", "是文件夹"),
    QT_TRANSLATE_NOOP("ShownText", "不是普通文件"),
    QT_TRANSLATE_NOOP("ShownText", "文件太大"),
    QT_TRANSLATE_NOOP("ShownText", "内容不是本软件写的记录"),
    QT_TRANSLATE_NOOP("ShownText", "被另一个程序锁定"),
    // the picture-set window
    QT_TRANSLATE_NOOP("ShownText", "图片组(&G)…"),
    QT_TRANSLATE_NOOP("ShownText", "未命名"),
    QT_TRANSLATE_NOOP("ShownText", "新建"),
    QT_TRANSLATE_NOOP("ShownText", "打开…"),
    QT_TRANSLATE_NOOP("ShownText", "保存"),
    QT_TRANSLATE_NOOP("ShownText", "另存为…"),
    QT_TRANSLATE_NOOP("ShownText", "把轮上的图片存为图片组…"),
    QT_TRANSLATE_NOOP("ShownText", "48图模式"),
    QT_TRANSLATE_NOOP("ShownText", "下载全部"),
    QT_TRANSLATE_NOOP("ShownText", "下载进度"),
    QT_TRANSLATE_NOOP("ShownText", "空"),
    QT_TRANSLATE_NOOP("ShownText", "拖入图片"),
    QT_TRANSLATE_NOOP("ShownText", "载入中…"),
    QT_TRANSLATE_NOOP("ShownText", "轮上"),
    QT_TRANSLATE_NOOP("ShownText", "未知"),
    QT_TRANSLATE_NOOP("ShownText", "原图"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮效果"),
    QT_TRANSLATE_NOOP("ShownText", "轮上的图片"),
    QT_TRANSLATE_NOOP("ShownText", "回车键或空格键选择图片，Delete键清除，菜单键打开菜单，方向键换到别的位置；也可以把图片文件拖到这里"),
    QT_TRANSLATE_NOOP("ShownText", "默认调整"),
    QT_TRANSLATE_NOOP("ShownText", "完整显示"),
    QT_TRANSLATE_NOOP("ShownText", "裁剪"),
    QT_TRANSLATE_NOOP("ShownText", "抖动"),
    QT_TRANSLATE_NOOP("ShownText", "轮廓线"),
    QT_TRANSLATE_NOOP("ShownText", "反色"),
    QT_TRANSLATE_NOOP("ShownText", "选择图片…"),
    QT_TRANSLATE_NOOP("ShownText", "调整…"),
    QT_TRANSLATE_NOOP("ShownText", "清除"),
    QT_TRANSLATE_NOOP("ShownText", "打开图片组"),
    QT_TRANSLATE_NOOP("ShownText", "保存图片组"),
    QT_TRANSLATE_NOOP("ShownText", "选择图片"),
    QT_TRANSLATE_NOOP("ShownText", "把轮上的图片存为图片组"),
    QT_TRANSLATE_NOOP("ShownText", "图片组(*.wheelset) (*.wheelset)"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮上的图片"),
    QT_TRANSLATE_NOOP("ShownText", "不保存"),
    QT_TRANSLATE_NOOP("ShownText", "取消"),
    QT_TRANSLATE_NOOP("ShownText", "下载其余的图片"),
    QT_TRANSLATE_NOOP("ShownText", "替换"),
    QT_TRANSLATE_NOOP("ShownText", "图片组里还没有图片！"),
    QT_TRANSLATE_NOOP("ShownText", "图片组的图片都无法载入，没有可以下载的图片！"),
    QT_TRANSLATE_NOOP("ShownText", "还不知道风火轮上有哪些图片：只有本软件下载、风火轮确认收到的图片才有记录。"),
};

// Texts with variable parts, most specific first: the first pattern that
// matches the whole text wins.
const char* const kPatterns[] = {
    QT_TRANSLATE_NOOP("ShownText", "无法打开图片“%1”：%2"),
    QT_TRANSLATE_NOOP("ShownText", "无法写入DIY模板图片：%1\n%2"),
    QT_TRANSLATE_NOOP("ShownText", "一次只能打开一个文件，以下文件没有打开：\n%1"),
    QT_TRANSLATE_NOOP("ShownText", "无法写入预览图“%1”：%2"),
    QT_TRANSLATE_NOOP("ShownText", "%1-风火轮.png"),
    QT_TRANSLATE_NOOP("ShownText", "发送失败，错误代码：%1"),
    QT_TRANSLATE_NOOP("ShownText", "下载进度:%1%"),
    QT_TRANSLATE_NOOP("ShownText", "您需要调整的角度是:%1  向左调整！"),
    QT_TRANSLATE_NOOP("ShownText", "您需要调整的角度是:%1  向右调整！"),
    QT_TRANSLATE_NOOP("ShownText", "您需要调整的角度是:%1"),
    QT_TRANSLATE_NOOP("ShownText", "无法打开图片组“%1”：%2"),
    QT_TRANSLATE_NOOP("ShownText", "无法保存图片组“%1”：%2"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮图片记录“%1”已损坏（%2），已改名为“%3”，重新开始记录"),
    QT_TRANSLATE_NOOP("ShownText", "风火轮图片记录“%1”已损坏（%2），所有位置都算作未知"),
    QT_TRANSLATE_NOOP("ShownText", "无法使用风火轮图片记录“%1”：%2。记录保持原样，不再更新"),
    QT_TRANSLATE_NOOP("ShownText", "无法写入风火轮图片记录“%1”：%2。记录可能已经过时"),
    QT_TRANSLATE_NOOP("ShownText", "不是有效的JSON文件（%1）"),
    QT_TRANSLATE_NOOP("ShownText", "图片组文件的版本%1比本软件新（本软件只能读取版本1）"),
    QT_TRANSLATE_NOOP("ShownText", "位置%1不是1到20之间的整数"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅出现了不止一次"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅没有指定图片"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅的图片文件名含有空字符（NUL）"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅的旋转角度只能是0、90、180或270"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅的fit只能是stretch、fit或crop"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅的阈值只能是auto或0到254之间的整数"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅的invert只能是true或false"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅的tone只能是threshold、dither或outline"),
    QT_TRANSLATE_NOOP("ShownText", "%1 - 图片组"),
    QT_TRANSLATE_NOOP("ShownText", "正在载入图片：%1/%2"),
    QT_TRANSLATE_NOOP("ShownText", "已保存“%1”"),
    QT_TRANSLATE_NOOP("ShownText", "轮上的图片：%1（%2）"),
    QT_TRANSLATE_NOOP("ShownText", "旋转%1°"),
    QT_TRANSLATE_NOOP("ShownText", "阈值%1"),
    QT_TRANSLATE_NOOP("ShownText", "图片组“%1”有没有保存的修改，要保存吗？"),
    QT_TRANSLATE_NOOP("ShownText", "以下位置的图片无法载入，下载时将跳过：\n%1\n仍然下载其余的图片吗？"),
    QT_TRANSLATE_NOOP("ShownText", "以下文件已经存在，要替换吗？\n%1"),
    QT_TRANSLATE_NOOP("ShownText", "从第%1幅起的空位放不下所有图片，以下图片没有放入：\n%2"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅的图片调整"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅：%2，轮上：%3"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅：%2"),
    QT_TRANSLATE_NOOP("ShownText", "第%1幅"),
};

struct CompiledPattern {
    const char* source;
    QRegularExpression match;
};

// Each variable part takes as much as it can, so that a file name holding a
// piece of the pattern stays whole (the reasons after it never hold one).
QRegularExpression Compile(const QString& pattern)
{
    static const QRegularExpression placeholder(QStringLiteral("%(\\d)"));
    QString expression = QStringLiteral("^");
    qsizetype last = 0;
    auto it = placeholder.globalMatch(pattern);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        expression += QRegularExpression::escape(pattern.mid(last, m.capturedStart() - last));
        expression += QStringLiteral("(.*)");
        last = m.capturedEnd();
    }
    expression += QRegularExpression::escape(pattern.mid(last)) + QStringLiteral("$");
    return QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption);
}

const std::vector<CompiledPattern>& Patterns()
{
    static const std::vector<CompiledPattern> compiled = [] {
        std::vector<CompiledPattern> list;
        for (const char* pattern : kPatterns)
            list.push_back({pattern, Compile(QString::fromUtf8(pattern))});
        return list;
    }();
    return compiled;
}

using Lookup = QString (*)(const char* source);

QString InstalledLanguage(const char* source)
{
    return QCoreApplication::translate(kShownTextContext, source);
}

QString English(const char* source)
{
    static const std::unique_ptr<QTranslator> english = [] {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(QStringLiteral(":/i18n/wheel-editor_en.qm")))
            translator.reset();
        return translator;
    }();
    const QString translated = english ? english->translate(kShownTextContext, source) : QString();
    return translated.isEmpty() ? QString::fromUtf8(source) : translated;
}

QString Translate(const QString& text, Lookup lookup)
{
    if (text.isEmpty())
        return text;
    const QByteArray utf8 = text.toUtf8();
    const QString whole = lookup(utf8.constData());
    if (whole != text)
        return whole;

    // The log is also written from the USB link's threads; the compiled
    // patterns are shared, so matching takes turns.
    const char* source = nullptr;
    QStringList captured;
    {
        static std::mutex mutex;
        std::lock_guard lock(mutex);
        for (const CompiledPattern& pattern : Patterns()) {
            const QRegularExpressionMatch m = pattern.match.match(text);
            if (!m.hasMatch())
                continue;
            source = pattern.source;
            for (int i = 1; i <= m.lastCapturedIndex(); ++i)
                captured << m.captured(i);
            break;
        }
    }
    if (!source)
        return text;
    const QString translated = lookup(source);
    if (translated == QString::fromUtf8(source))
        return text;   // no translation of the pattern: keep the text as it is

    // Substituted in one pass by position, so that a variable part holding
    // "%2" is not taken for a placeholder.
    QString out;
    for (qsizetype i = 0; i < translated.size(); ++i) {
        const QChar c = translated.at(i);
        if (c == QLatin1Char('%') && i + 1 < translated.size() && translated.at(i + 1).isDigit()) {
            const int index = translated.at(i + 1).digitValue();
            if (index >= 1 && index <= captured.size()) {
                out += Translate(captured.at(index - 1), lookup);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace

QString TranslateShown(const QString& text)
{
    return Translate(text, InstalledLanguage);
}

QString Shown(const char* utf8)
{
    return TranslateShown(QString::fromUtf8(utf8));
}

QString Shown(const char* pattern, const QString& value)
{
    return TranslateShown(QString::fromUtf8(pattern).arg(value));
}

QString EnglishShown(const QString& text)
{
    return Translate(text, English);
}

const ShownTextCatalogue& ShownTexts()
{
    static const ShownTextCatalogue catalogue = [] {
        ShownTextCatalogue c;
        c.texts.assign(std::begin(kTexts), std::end(kTexts));
        c.patterns.assign(std::begin(kPatterns), std::end(kPatterns));
        return c;
    }();
    return catalogue;
}

} // namespace wheel
