#include "usb/HotplugMonitor.h"

#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#if WHEEL_HAVE_LIBUDEV
#include <libudev.h>
#endif

#include <cstdlib>
#include <cstring>

namespace wheel {

struct HotplugMonitor::Udev {
#if WHEEL_HAVE_LIBUDEV
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    ~Udev()
    {
        if (monitor)
            udev_monitor_unref(monitor);
        if (context)
            udev_unref(context);
    }
#endif
};

HotplugMonitor::HotplugMonitor(QObject* parent)
    : QObject(parent)
{
}

HotplugMonitor::~HotplugMonitor()
{
    Stop();
}

QString HotplugMonitor::DefaultUdevSource()
{
    const QString source = qEnvironmentVariable("WHEEL_UDEV_SOURCE").trimmed().toLower();
    if (source == QLatin1String("udev") || source == QLatin1String("kernel"))
        return source;
    // Without a running udevd no "udev" event ever comes; the kernel's do.
    return QFileInfo::exists(QStringLiteral("/run/udev/control")) ? QStringLiteral("udev") : QStringLiteral("kernel");
}

HotplugMonitor::Mode HotplugMonitor::Start(IHidBackend& backend, const QString& udevSource, bool forcePolling)
{
    Stop();
    m_backend = &backend;
    // The news may come on any thread, even from inside the backend: keep it
    // under our own lock and let this object's thread fetch it.
    const bool ownNews = backend.WatchChanges([this](DeviceChange change, const std::string& path) {
        {
            std::lock_guard lock(m_newsMutex);
            m_news.emplace_back(change, path);
        }
        QMetaObject::invokeMethod(this, "DeliverNews", Qt::QueuedConnection);
    });
    if (ownNews) {
        m_mode = Mode::Backend;
        return m_mode;
    }
    if (!forcePolling && StartUdev(udevSource)) {
        m_mode = Mode::Udev;
        return m_mode;
    }
    m_present = PresentPaths();
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(kPollIntervalMs);
    connect(m_pollTimer, &QTimer::timeout, this, &HotplugMonitor::Poll);
    m_pollTimer->start();
    m_mode = Mode::Polling;
    return m_mode;
}

void HotplugMonitor::Stop()
{
    if (m_mode == Mode::Backend && m_backend)
        m_backend->WatchChanges({});  // waits for a callback under way
    delete m_notifier;
    m_notifier = nullptr;
    delete m_pollTimer;
    m_pollTimer = nullptr;
    m_udev.reset();
    m_present.clear();
    {
        std::lock_guard lock(m_newsMutex);
        m_news.clear();
    }
    m_mode = Mode::None;
    m_backend = nullptr;
}

bool HotplugMonitor::StartUdev(const QString& source)
{
#if WHEEL_HAVE_LIBUDEV
    auto state = std::make_unique<Udev>();
    state->context = udev_new();
    if (!state->context)
        return false;
    const QByteArray name = source.toLatin1();
    state->monitor = udev_monitor_new_from_netlink(state->context, name.constData());
    if (!state->monitor)
        return false;
    if (udev_monitor_filter_add_match_subsystem_devtype(state->monitor, "hidraw", nullptr) < 0
        || udev_monitor_enable_receiving(state->monitor) < 0)
        return false;
    const int fd = udev_monitor_get_fd(state->monitor);
    if (fd < 0)
        return false;
    m_udev = std::move(state);
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &HotplugMonitor::OnUdevReadable);
    return true;
#else
    (void)source;
    return false;
#endif
}

void HotplugMonitor::OnUdevReadable()
{
#if WHEEL_HAVE_LIBUDEV
    if (!m_udev)
        return;
    // The socket is non-blocking: take every event that is waiting.
    while (udev_device* device = udev_monitor_receive_device(m_udev->monitor)) {
        const char* action = udev_device_get_action(device);
        const char* devnode = udev_device_get_devnode(device);
        if (action && devnode) {
            const QString path = QString::fromLocal8Bit(devnode);
            if (std::strcmp(action, "add") == 0)
                emit deviceChanged(DeviceChange::Arrived, path);
            else if (std::strcmp(action, "remove") == 0)
                emit deviceChanged(DeviceChange::Removed, path);
        }
        udev_device_unref(device);
    }
#endif
}

void HotplugMonitor::DeliverNews()
{
    std::deque<std::pair<DeviceChange, std::string>> news;
    {
        std::lock_guard lock(m_newsMutex);
        news.swap(m_news);
    }
    for (const auto& [change, path] : news)
        emit deviceChanged(change, QString::fromStdString(path));
}

std::set<std::string> HotplugMonitor::PresentPaths()
{
    std::set<std::string> paths;
    if (m_backend) {
        for (const HidDeviceInfo& device : m_backend->Enumerate(0, 0))
            paths.insert(device.path);
    }
    return paths;
}

void HotplugMonitor::Poll()
{
    std::set<std::string> now = PresentPaths();
    for (const std::string& path : m_present)
        if (!now.contains(path))
            emit deviceChanged(DeviceChange::Removed, QString::fromStdString(path));
    for (const std::string& path : now)
        if (!m_present.contains(path))
            emit deviceChanged(DeviceChange::Arrived, QString::fromStdString(path));
    m_present = std::move(now);
}

} // namespace wheel
