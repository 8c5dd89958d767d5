// The real editor started with a file, as a file manager starts it, on an X
// server of its own (nothing else there can cover its window). Its windows are
// found by title and read back from the screen through xcb, and closed as a
// window manager closes them.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace {

const QString kMainTitle = QStringLiteral("驰光--自行车风火轮编辑软件V2.0");
const QString kBoxTitle = QStringLiteral("温馨提示");
// The "原图" and "风火轮效果" areas in the main window's template, whose client
// area is the window's lowest 575 rows (a menu bar is above it).
const QRect kOriginal(17, 26, 234, 234);
const QRect kPreview(278, 26, 234, 234);

template <typename T>
std::unique_ptr<T, void (*)(void*)> Own(T* reply)
{
    return {reply, &std::free};
}

struct TopWindow {
    xcb_window_t id;
    QRect rect;
};

class PrivateDisplay {
public:
    ~PrivateDisplay()
    {
        if (m_x)
            xcb_disconnect(m_x);
        m_server.terminate();
        m_server.waitForFinished(10000);
    }

    // Xvfb picks a free display number and says it when it takes clients.
    bool Start()
    {
        m_server.start(QStringLiteral("Xvfb"), QStringLiteral("-displayfd 1 -screen 0 1280x1024x24 -nolisten tcp").split(' '));
        QByteArray number;
        while (!number.contains('\n') && m_server.waitForReadyRead(60000))
            number += m_server.readAllStandardOutput();
        name = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        m_x = xcb_connect(name.toLatin1().constData(), nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
        return !xcb_connection_has_error(m_x);
    }

    // A mapped top-level window with this title.
    std::optional<TopWindow> Find(const QString& title)
    {
        auto tree = Own(xcb_query_tree_reply(m_x, xcb_query_tree(m_x, m_root), nullptr));
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t w = xcb_query_tree_children(tree.get())[i];
            auto attributes = Own(xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, w), nullptr));
            auto name = Own(xcb_get_property_reply(
                m_x, xcb_get_property(m_x, 0, w, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), 0, 256), nullptr));
            auto g = Own(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, w), nullptr));
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE && name && g
                && QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())),
                                     xcb_get_property_value_length(name.get())) == title)
                return TopWindow{w, QRect(g->x, g->y, g->width, g->height)};
        }
        return std::nullopt;
    }

    // What the screen shows in rect.
    QImage Grab(const QRect& r)
    {
        auto image = Own(xcb_get_image_reply(
            m_x, xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, std::int16_t(r.x()), std::int16_t(r.y()),
                               std::uint16_t(r.width()), std::uint16_t(r.height()), ~0u), nullptr));
        if (!image || xcb_get_image_data_length(image.get()) != r.width() * r.height() * 4)
            return {};
        return QImage(xcb_get_image_data(image.get()), r.width(), r.height(), QImage::Format_RGB32).copy();
    }

    // The close button of a window manager.
    void Close(xcb_window_t w)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = Atom("WM_PROTOCOLS");
        event.data.data32[0] = Atom("WM_DELETE_WINDOW");
        xcb_send_event(m_x, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(m_x);
    }

    QString name;

private:
    xcb_atom_t Atom(const char* atom)
    {
        auto reply = Own(xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, std::uint16_t(qstrlen(atom)), atom), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    QProcess m_server;
    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;
};

// Looks every 100 ms for up to a minute: the editor may start slowly on a
// busy machine.
bool Eventually(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 60000)
            return false;
        QThread::msleep(100);
    }
    return true;
}

// Pixels in columns [x0, x1) within 40 of one of the colours in each channel.
int Count(const QImage& image, int x0, int x1, std::initializer_list<QRgb> colours)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = x0; x < x1; ++x)
            for (QRgb c : colours) {
                const QRgb p = image.pixel(x, y);
                if (std::abs(qRed(p) - qRed(c)) <= 40 && std::abs(qGreen(p) - qGreen(c)) <= 40
                    && std::abs(qBlue(p) - qBlue(c)) <= 40) {
                    ++n;
                    break;
                }
            }
    return n;
}

// Nothing drawn: only the window's light greys (a group box's frame runs
// under the area's edge).
bool Blank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p) || qRed(p) < 200 || qRed(p) > 245)
                return false;
        }
    return !image.isNull();
}

class StartWithFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "app_start_tests";
        static char* argv[] = {arg0, nullptr};
        static QCoreApplication app(argc, argv);   // for QProcess
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            GTEST_SKIP() << "needs Xvfb";
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(display.Start());
    }

    void TearDown() override
    {
        editor.kill();
        editor.waitForFinished(10000);
    }

    void StartEditor(const QString& file)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display.name);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("XAUTHORITY"));
        // The pictures it opens go into a list of recent pictures of its own.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        editor.setProcessEnvironment(env);
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        editor.start(QString::fromLocal8Bit(qgetenv("WHEEL_BIN_DIR")) + QStringLiteral("/wheel-editor"),
                     {QStringLiteral("--simulate"), QStringLiteral("--lang"), QStringLiteral("zh"), file});
        ASSERT_TRUE(editor.waitForStarted(30000));
    }

    QImage Area(const TopWindow& main, const QRect& area)
    {
        return display.Grab(area.translated(main.rect.bottomLeft() - QPoint(0, 575 - 1)));
    }

    // Whether the editor still runs, or how it ended.
    QString Running()
    {
        // Nothing runs the event loop here: the process's end is looked for.
        if (editor.state() != QProcess::NotRunning && !editor.waitForFinished(0))
            return QStringLiteral("running");
        return QStringLiteral("ended (%1 %2)")
            .arg(editor.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed") : QStringLiteral("exit"))
            .arg(editor.exitCode());
    }

    // Closing the main window ends the editor normally.
    void CloseEditor()
    {
        const auto main = display.Find(kMainTitle);
        ASSERT_TRUE(main.has_value());
        display.Close(main->id);
        ASSERT_TRUE(editor.waitForFinished(60000));
        EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(editor.exitCode(), 0);
    }

    QTemporaryDir dir;
    PrivateDisplay display;
    QProcess editor;
};

// Left half dark green, right half white: after binarisation the left half is
// dark, so the preview's coloured (lit) dots lie left of the centre only.
TEST_F(StartWithFile, PictureShowsInBothAreas)
{
    QImage picture(240, 160, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 120; ++x)
            picture.setPixel(x, y, qRgb(0, 128, 0));
    const QString path = dir.filePath(QStringLiteral("half.png"));
    ASSERT_TRUE(picture.save(path));
    ASSERT_NO_FATAL_FAILURE(StartEditor(path));

    const int half = 117, seam = 4;
    QString seen;   // what the screen showed last, for a failure's message
    EXPECT_TRUE(Eventually([&] {
        const auto main = display.Find(kMainTitle);
        if (!main) {
            seen = QStringLiteral("no main window; the editor is ") + Running();
            return false;
        }
        const QImage shown = Area(*main, kOriginal), dots = Area(*main, kPreview);
        const int column = shown.height();
        const int counts[] = {Count(shown, 0, half - seam, {qRgb(0, 128, 0)}),
                              Count(shown, half + seam, 2 * half, {qRgb(255, 255, 255)}),
                              Count(dots, 0, half - seam, {qRgb(0, 255, 0), qRgb(0, 0, 255)}),
                              Count(dots, half + seam, 2 * half, {qRgb(0, 255, 0), qRgb(0, 0, 255)})};
        seen = QStringLiteral("window at %1,%2 %3x%4; green, white, left dots, right dots: %5 %6 %7 %8; the editor is ")
                   .arg(main->rect.x()).arg(main->rect.y()).arg(main->rect.width()).arg(main->rect.height())
                   .arg(counts[0]).arg(counts[1]).arg(counts[2]).arg(counts[3]) + Running();
        return !shown.isNull() && !dots.isNull() && counts[0] == (half - seam) * column
            && counts[1] == (half - seam) * column && counts[2] > 1000 && counts[3] == 0;
    })) << seen.toStdString();
    EXPECT_FALSE(display.Find(kBoxTitle).has_value());
    CloseEditor();
}

// The usual message box over the window; once it is answered the window
// stays open with both areas empty.
TEST_F(StartWithFile, BadFileIsRefusedAndTheWindowStaysEmpty)
{
    const QString path = dir.filePath(QStringLiteral("broken.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("this is not a picture at all") > 0);
    file.close();
    ASSERT_NO_FATAL_FAILURE(StartEditor(path));

    ASSERT_TRUE(Eventually([&] { return display.Find(kBoxTitle) && display.Find(kMainTitle); }))
        << "box " << display.Find(kBoxTitle).has_value() << ", main window " << display.Find(kMainTitle).has_value()
        << "; the editor is " << Running().toStdString();
    display.Close(display.Find(kBoxTitle)->id);
    ASSERT_TRUE(Eventually([&] { return !display.Find(kBoxTitle); }));
    // The part that the box covered is painted again meanwhile.
    EXPECT_TRUE(Eventually([&] {
        const auto main = display.Find(kMainTitle);
        return main && Blank(Area(*main, kOriginal)) && Blank(Area(*main, kPreview));
    }));
    EXPECT_EQ(editor.state(), QProcess::Running);
    CloseEditor();
}

} // namespace
