#pragma once
// Tells the owner's thread when a HID device comes or goes, by its path (the
// hidraw devnode, which is what the link stores). Three sources, chosen in
// Start: a backend that reports its own changes (the simulated light), a
// libudev monitor on the hidraw subsystem watched with a QSocketNotifier, and,
// where libudev is missing or fails, a poll of the HID devices every 500 ms.

#include "usb/HidBackend.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>

class QSocketNotifier;
class QTimer;

Q_DECLARE_METATYPE(wheel::DeviceChange)

namespace wheel {

class HotplugMonitor : public QObject {
    Q_OBJECT
public:
    enum class Mode { None, Backend, Udev, Polling };

    explicit HotplugMonitor(QObject* parent = nullptr);
    ~HotplugMonitor() override;

    // "udev" (events after udev has processed them and set the device's
    // permissions) or "kernel" (raw kernel events, for systems without udevd).
    // WHEEL_UDEV_SOURCE sets it; otherwise "udev" where udevd runs.
    static QString DefaultUdevSource();

    // Starts watching; `backend` must outlive the monitor (or Stop). With
    // forcePolling the libudev monitor is not tried.
    Mode Start(IHidBackend& backend, const QString& udevSource = DefaultUdevSource(), bool forcePolling = false);
    void Stop();
    Mode CurrentMode() const { return m_mode; }

    static constexpr int kPollIntervalMs = 500;

signals:
    void deviceChanged(wheel::DeviceChange change, const QString& devnode);

private:
    Q_INVOKABLE void DeliverNews();
    bool StartUdev(const QString& source);
    void OnUdevReadable();
    void Poll();
    std::set<std::string> PresentPaths();

    Mode m_mode = Mode::None;
    IHidBackend* m_backend = nullptr;
    struct Udev;
    std::unique_ptr<Udev> m_udev;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_pollTimer = nullptr;
    std::set<std::string> m_present;
    std::mutex m_newsMutex;  // the backend's news, from any thread
    std::deque<std::pair<DeviceChange, std::string>> m_news;
};

} // namespace wheel
