#include "app/WheelDlgDevice.h"

#include "app/WheelDlg.h"
#include "dialogs/Dialogs.h"
#include "usb/HotplugMonitor.h"
#include "usb/SimulatedWheelLight.h"

#include <QTime>
#include <QTimer>

WheelDlgDevice::WheelDlgDevice(CWheelDlg& window, wheel::Simulation simulation)
    : CDeviceOperations(&window)
    , m_window(window)
    , m_backend(wheel::MakeHidBackend(simulation))
{
    setObjectName(QStringLiteral("wheelDevice"));
    m_link = std::make_unique<wheel::UsbLink>(*m_backend, *this);
    m_protocol = std::make_unique<wheel::WheelProtocol>(*m_link, *this);
    m_hotplug = new wheel::HotplugMonitor(this);
    connect(m_hotplug, &wheel::HotplugMonitor::deviceChanged, this, &WheelDlgDevice::OnDeviceChanged);
    m_record = std::make_unique<wheel::RecordWriter>(
        wheel::RecordFilePath(simulation != wheel::Simulation::Off), [this](const QString& problem) {
            Post([this, problem] {
                if (!problem.isEmpty())
                    m_window.AppendLog(QStringLiteral("无法记录风火轮上的图片：%1").arg(problem));
                emit recordChanged();
            });
        });
    m_watchdog = new QTimer(this);
    m_watchdog->setInterval(250);
    connect(m_watchdog, &QTimer::timeout, this, [this] {
        m_protocol->Tick();
        DrainEffects();
    });
}

WheelDlgDevice::~WheelDlgDevice()
{
    // The watch and the timer go before the backend and the protocol they use.
    delete m_watchdog;
    delete m_hotplug;
    m_link->Stop();
    m_record.reset();  // its last news goes into the queue, which is still here
}

void WheelDlgDevice::Start()
{
    if (m_bStarted)
        return;
    m_bStarted = true;
    m_link->Start();
    m_hotplug->Start(*m_backend);
    m_watchdog->start();
}

void WheelDlgDevice::Stop()
{
    m_watchdog->stop();
    m_hotplug->Stop();
    m_link->Stop();
    m_link->CloseDevice();
    m_bStarted = false;
    DrainEffects();
}

wheel::SimulatedWheelLight* WheelDlgDevice::Simulated() const
{
    return dynamic_cast<wheel::SimulatedWheelLight*>(m_backend.get());
}

void WheelDlgDevice::OnDeviceChanged(wheel::DeviceChange change, const QString& path)
{
    if (m_link->OnDeviceChange(change, path.toStdString()))
        DeviceRemoved();
    DrainEffects();
}

void WheelDlgDevice::TakeLoss()
{
    if (m_link->TakeLoss())
        DeviceRemoved();
    DrainEffects();
}

void WheelDlgDevice::DeviceRemoved()
{
    m_window.m_bConnected = 0;
    m_protocol->OnDeviceRemoved();
}

void WheelDlgDevice::Post(std::function<void()> effect)
{
    {
        std::lock_guard lock(m_mutex);
        m_effects.push_back(std::move(effect));
    }
    QMetaObject::invokeMethod(this, &WheelDlgDevice::DrainEffects, Qt::QueuedConnection);
}

void WheelDlgDevice::DrainEffects()
{
    if (m_bDraining)
        return;  // a message box of an earlier effect is open: keep the order
    m_bDraining = true;
    for (;;) {
        std::function<void()> effect;
        {
            std::lock_guard lock(m_mutex);
            if (m_effects.empty())
                break;
            effect = std::move(m_effects.front());
            m_effects.pop_front();
        }
        effect();
    }
    m_bDraining = false;
    UpdateOperationState();
}

void WheelDlgDevice::AfterHandler()
{
    m_window.m_bConnected = m_protocol->Connected() ? 1 : 0;
    DrainEffects();
}

void WheelDlgDevice::UpdateOperationState()
{
    const bool running = m_bButtonsHeld || m_protocol->CurrentOperation() != wheel::WheelProtocol::Operation::None;
    if (running == m_bOperationRunning)
        return;
    m_bOperationRunning = running;
    emit operationChanged(running);
}

bool WheelDlgDevice::DownloadPictures(const std::vector<wheel::SlotPicture>& pictures, const wheel::SlotNames& names)
{
    SetNextNames(names);
    const bool started = m_protocol->OnDownloadPictures(pictures);
    AfterHandler();
    return started;
}

void WheelDlgDevice::AppendLog(const std::string& text, int withTime, int withNewline)
{
    // Stamped now, not when the window gets to it.
    Post([this, line = QString::fromStdString(text), madeAt = QTime::currentTime(), withTime, withNewline] {
        m_window.AppendLog(line, madeAt, withTime, withNewline);
    });
}

void WheelDlgDevice::OnAnswer(std::uint8_t code)
{
    m_protocol->OnAnswer(code);
}

void WheelDlgDevice::OnDeviceLost()
{
    QMetaObject::invokeMethod(this, &WheelDlgDevice::TakeLoss, Qt::QueuedConnection);
}

void WheelDlgDevice::AppendLog(const std::string& text, bool withTime)
{
    AppendLog(text, withTime ? 1 : 0, 1);
}

void WheelDlgDevice::ReplaceLog(const std::string& text)
{
    Post([this, log = QString::fromStdString(text)] { m_window.ReplaceLogText(log); });
}

void WheelDlgDevice::ShowMessage(const std::string& text, const std::string& caption)
{
    // The window translates its log lines, the message box its text and caption.
    Post([this, text = QString::fromStdString(text), caption = QString::fromStdString(caption)] {
        wheel::MessageBox::Show(&m_window, text, caption);
    });
}

void WheelDlgDevice::SetProgress(int percent)
{
    Post([this, percent] {
        m_window.ShowProgress(percent);
        emit progressShown(percent);
    });
}

void WheelDlgDevice::EnableOperationButtons(bool enable)
{
    Post([this, enable] {
        m_bButtonsHeld = !enable;
        m_window.EnableOperationButtons(enable);
    });
}

void WheelDlgDevice::SetAllSlotBoxes(bool ticked)
{
    Post([this, ticked] { m_window.SetAllSlotBoxes(ticked); });
}

void WheelDlgDevice::Set48Mode(bool ticked)
{
    Post([this, ticked] { m_window.Set48Mode(ticked); });
}

void WheelDlgDevice::DownloadStarting(const std::vector<std::uint8_t>& slotBytes)
{
    // Downloads start from the window's handlers, so the names are this
    // download's. The protocol's lock keeps the starts and ends in order.
    m_record->Started(slotBytes, m_nextNames);
}

void WheelDlgDevice::DownloadEnded(const wheel::DownloadOutcome& outcome)
{
    m_record->Ended(outcome);
}
