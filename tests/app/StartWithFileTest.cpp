// The real editor started with a file, as a file manager starts it. It runs
// on an X server of its own (nothing else on it can cover the window); its
// windows are found by their _NET_WM_PID and title and read back from the
// screen, and closed the way a window manager closes them.

#include "app/WheelDlg.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"
#include <opencv2/imgcodecs.hpp>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

namespace {

[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new wheeltest::QtEnvironment);

// Looks every 100 ms (each look reads the screen) for up to a minute: the
// editor may start slowly on a busy machine.
bool Eventually(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 60000)
            return false;
        QTest::qWait(100);
    }
    return true;
}

const QString kMainTitle = QStringLiteral("驰光--自行车风火轮编辑软件V2.0");
const QString kBoxTitle = QStringLiteral("温馨提示");

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* reply)
{
    return Reply<T>(reply, &std::free);
}

struct TopWindow {
    xcb_window_t id;
    QString title;
    QRect rect;   // on the screen
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

    // Starts Xvfb on a display number it picks itself, and connects.
    bool Start()
    {
        m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp")});
        QByteArray number;
        while (!number.contains('\n') && m_server.waitForReadyRead(60000))
            number += m_server.readAllStandardOutput();
        m_name = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        m_x = xcb_connect(m_name.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(m_x))
            return false;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
        return true;
    }

    QString Name() const { return m_name; }

    // The mapped top-level windows of a process, bottom to top.
    std::vector<TopWindow> Windows(qint64 pid)
    {
        std::vector<TopWindow> windows;
        auto tree = Own(xcb_query_tree_reply(m_x, xcb_query_tree(m_x, m_root), nullptr));
        if (!tree)
            return windows;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t w = children[i];
            auto attributes = Own(xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, w), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            if (Property(w, "_NET_WM_PID", XCB_ATOM_CARDINAL) != QByteArray::number(pid))
                continue;
            auto geometry = Own(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, w), nullptr));
            if (!geometry)
                continue;
            windows.push_back({w, QString::fromUtf8(Property(w, "_NET_WM_NAME", Atom("UTF8_STRING"))),
                               QRect(geometry->x, geometry->y, geometry->width, geometry->height)});
        }
        return windows;
    }

    // What the screen shows in rect.
    QImage Grab(const QRect& rect)
    {
        auto image = Own(xcb_get_image_reply(
            m_x,
            xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, std::int16_t(rect.x()), std::int16_t(rect.y()),
                          std::uint16_t(rect.width()), std::uint16_t(rect.height()), ~0u),
            nullptr));
        if (!image || xcb_get_image_data_length(image.get()) != rect.width() * rect.height() * 4)
            return {};
        return QImage(xcb_get_image_data(image.get()), rect.width(), rect.height(), rect.width() * 4,
                      QImage::Format_RGB32)
            .copy();
    }

    // The close button of a window manager: WM_DELETE_WINDOW.
    void Close(xcb_window_t w)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = Atom("WM_PROTOCOLS");
        event.data.data32[0] = Atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_x, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(m_x);
    }

private:
    xcb_atom_t Atom(const char* name)
    {
        auto reply = Own(xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, std::uint16_t(qstrlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // A CARDINAL comes back as its decimal text, anything else as its bytes.
    QByteArray Property(xcb_window_t w, const char* name, xcb_atom_t type)
    {
        auto reply = Own(xcb_get_property_reply(m_x, xcb_get_property(m_x, 0, w, Atom(name), type, 0, 1024), nullptr));
        if (!reply || reply->type != type)
            return {};
        const auto* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
        const int length = xcb_get_property_value_length(reply.get());
        if (type == XCB_ATOM_CARDINAL)
            return length == 4 ? QByteArray::number(*reinterpret_cast<const std::uint32_t*>(value)) : QByteArray();
        return QByteArray(value, length);
    }

    QProcess m_server;
    QString m_name;
    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;
};

bool Near(QRgb pixel, QRgb colour, int tolerance = 40)
{
    return std::abs(qRed(pixel) - qRed(colour)) <= tolerance && std::abs(qGreen(pixel) - qGreen(colour)) <= tolerance
        && std::abs(qBlue(pixel) - qBlue(colour)) <= tolerance;
}

// Pixels of image in [x0, x1) x [y0, y1) near one of the colours.
int Count(const QImage& image, int x0, int x1, int y0, int y1, std::initializer_list<QRgb> colours)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (QRgb c : colours)
                if (Near(image.pixel(x, y), c)) {
                    ++n;
                    break;
                }
    return n;
}

// Nothing drawn: only the window's light greys (the group box's frame runs
// under the area's edge).
bool Blank(const QImage& image)
{
    if (image.isNull())
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p) || qRed(p) < 200 || qRed(p) > 245)
                return false;
        }
    return true;
}

class StartWithFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            GTEST_SKIP() << "needs Xvfb";
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(display.Start());
        // The picture areas where the template puts them.
        wheel::AppOptions options;
        options.simulate = true;
        CWheelDlg layout(options);
        for (auto [name, rect] : {std::pair{"picOriginal", &original}, std::pair{"picPreview", &preview}}) {
            const QWidget* area = layout.findChild<QWidget*>(QString::fromLatin1(name));
            ASSERT_NE(area, nullptr) << name;
            *rect = QRect(area->mapTo(&layout, QPoint(0, 0)), area->size());
        }
    }

    void TearDown() override
    {
        if (editor.state() != QProcess::NotRunning) {
            editor.kill();
            editor.waitForFinished(10000);
        }
    }

    void StartEditor(const QString& file)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display.Name());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("XAUTHORITY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        editor.setProcessEnvironment(env);
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        editor.start(QString::fromLocal8Bit(qgetenv("WHEEL_BIN_DIR")) + QStringLiteral("/wheel-editor"),
                     {QStringLiteral("--simulate"), QStringLiteral("--lang"), QStringLiteral("zh"), file});
        ASSERT_TRUE(editor.waitForStarted(30000));
    }

    // The editor's mapped window with this title, if there is one.
    std::optional<TopWindow> Window(const QString& title)
    {
        for (const TopWindow& w : display.Windows(editor.processId()))
            if (w.title == title)
                return w;
        return std::nullopt;
    }

    QImage Area(const TopWindow& main, const QRect& area) { return display.Grab(area.translated(main.rect.topLeft())); }

    // Closing the main window ends the editor normally.
    void CloseEditor(const TopWindow& main)
    {
        display.Close(main.id);
        ASSERT_TRUE(editor.waitForFinished(60000));
        EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(editor.exitCode(), 0);
    }

    QTemporaryDir dir;
    PrivateDisplay display;
    QProcess editor;
    QRect original, preview;
};

// Left half dark green, right half white: after binarisation the left half is
// dark, so the preview's coloured (lit) dots lie left of the centre only.
TEST_F(StartWithFile, PictureShowsInBothAreas)
{
    const QString path = dir.filePath(QStringLiteral("half.png"));
    cv::Mat picture(160, 240, CV_8UC3, cv::Scalar(255, 255, 255));
    picture(cv::Rect(0, 0, 120, 160)).setTo(cv::Scalar(0, 128, 0));
    ASSERT_TRUE(cv::imwrite(QFile::encodeName(path).toStdString(), picture));
    ASSERT_NO_FATAL_FAILURE(StartEditor(path));

    const int w = original.width(), h = original.height();
    const int half = preview.width() / 2, margin = 4;
    const auto shows = [&] {
        const auto main = Window(kMainTitle);
        if (!main)
            return false;
        const QImage shown = Area(*main, original);
        const QImage dots = Area(*main, preview);
        return !shown.isNull() && !dots.isNull()
            && Count(shown, 0, w / 2 - margin, 0, h, {qRgb(0, 128, 0)}) == (w / 2 - margin) * h
            && Count(shown, w / 2 + margin, w, 0, h, {qRgb(255, 255, 255)}) == (w - w / 2 - margin) * h
            && Count(dots, 0, half - margin, 0, dots.height(), {qRgb(0, 255, 0), qRgb(0, 0, 255)}) > 1000
            && Count(dots, half + margin, dots.width(), 0, dots.height(), {qRgb(0, 255, 0), qRgb(0, 0, 255)}) == 0;
    };
    EXPECT_TRUE(Eventually(shows));
    EXPECT_FALSE(Window(kBoxTitle).has_value());
    const auto main = Window(kMainTitle);
    ASSERT_TRUE(main.has_value());
    CloseEditor(*main);
}

// The usual message box over the window; once it is answered the window
// stays open with both areas empty.
TEST_F(StartWithFile, BadFileIsRefusedAndTheWindowStaysEmpty)
{
    const QString path = dir.filePath(QStringLiteral("broken.png"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a picture at all");
    }
    ASSERT_NO_FATAL_FAILURE(StartEditor(path));

    ASSERT_TRUE(Eventually([&] { return Window(kBoxTitle) && Window(kMainTitle); }));
    display.Close(Window(kBoxTitle)->id);
    ASSERT_TRUE(Eventually([&] { return !Window(kBoxTitle); }));

    const auto main = Window(kMainTitle);
    ASSERT_TRUE(main.has_value());
    // The part of the window that the box covered is painted again meanwhile.
    EXPECT_TRUE(Eventually([&] { return Blank(Area(*main, original)) && Blank(Area(*main, preview)); }));
    EXPECT_EQ(editor.state(), QProcess::Running);
    CloseEditor(*main);
}

} // namespace
