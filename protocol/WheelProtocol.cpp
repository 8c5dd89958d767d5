#include "protocol/WheelProtocol.h"

#include "protocol/AngleText.h"
#include "protocol/FactoryPictures.h"

#include <algorithm>

namespace wheel {

namespace {

constexpr const char* kCaptionHint = "温馨提示-_-";
constexpr const char* kCaptionHintPlain = "温馨提示";
constexpr const char* kCaptionSuccess = "恭喜";

constexpr const char* kNoDevice = "请先连接USB到风火轮!";
constexpr const char* kNoPicture = "请导入图片,然后下载!";
constexpr const char* kNoSlot = "请先选择需要下载的位置!";
constexpr const char* kDownloadOk = "下载成功！";
constexpr const char* kDownloadDone = "图片下载完成!";
constexpr const char* kUnplugged = "下载失败，USB被拔出!";
constexpr const char* kCalibrationOk = "风火轮位置校准成功!";
constexpr const char* kAngleRange = "请输入需要调整的1和90之间的整数角度！";
constexpr const char* kAngleMissing = "请输入需要调整的角度！";
constexpr const char* kBadDirection = "哎呀，出错啦！请重新启动软件！";
constexpr const char* kConfirmation = "您需要调整的角度是:";
constexpr const char* kTurnLeft = "  向左调整！";
constexpr const char* kTurnRight = "  向右调整！";

// Refusals while another operation runs.
constexpr const char* kBusyDownloading = "正在下载图片，请等下载完成后再试！";
constexpr const char* kBusyCalibrating = "正在校准风火轮，请等校准完成后再试！";

// A device that stopped answering.
constexpr const char* kDownloadTimeoutLog = "风火轮没有应答，下载失败";
constexpr const char* kDownloadTimeoutBox = "下载失败，风火轮没有应答!";
constexpr const char* kCalibrationTimeoutLog = "风火轮没有应答，校准失败";
constexpr const char* kCalibrationTimeoutBox = "校准失败，风火轮没有应答!";

// An operation stopped on request (the editor closing, wheelctl interrupted).
constexpr const char* kDownloadStopped = "下载已停止";
constexpr const char* kCalibrationStopped = "校准已停止";

} // namespace

WheelProtocol::WheelProtocol(IReportLink& link, IProtocolView& view, Clock clock)
    : m_link(link)
    , m_view(view)
    , m_clock(std::move(clock))
{
}

bool WheelProtocol::Connected() const
{
    std::lock_guard lock(m_mutex);
    return m_bConnected != 0;
}

WheelProtocol::Operation WheelProtocol::CurrentOperation() const
{
    std::lock_guard lock(m_mutex);
    if (m_bCalibrating)
        return Operation::Calibration;
    if (m_bDownloading)
        return Operation::Download;
    return Operation::None;
}

WheelProtocol::Result WheelProtocol::LastResult() const
{
    std::lock_guard lock(m_mutex);
    return m_lastResult;
}

int WheelProtocol::Percent() const
{
    std::lock_guard lock(m_mutex);
    return m_nPercent;
}

bool WheelProtocol::WaitForIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, timeout, [this] { return !m_bDownloading && !m_bCalibrating; });
}

bool WheelProtocol::EnsureConnected()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bConnected)
            return true;
    }
    const bool found = m_link.ConnectDevice();
    std::lock_guard lock(m_mutex);
    if (found)
        m_bConnected = 1;
    if (!m_bConnected)
        m_view.ShowMessage(kNoDevice, kCaptionHint);
    return m_bConnected != 0;
}

bool WheelProtocol::RefuseWhileBusy(Operation wanted)
{
    (void)wanted;
    if (m_bDownloading) {
        m_view.ShowMessage(kBusyDownloading, kCaptionHint);
        return true;
    }
    if (m_bCalibrating) {
        m_view.ShowMessage(kBusyCalibrating, kCaptionHint);
        return true;
    }
    return false;
}

void WheelProtocol::Send(const Report& report)
{
    if (report.send)
        m_link.SendReport(report.slot, report.chunk, report.data);
}

bool WheelProtocol::OnDownload(const ProtocolInputs& values, TransferBlock& block)
{
    Report first;
    const auto prepare = [&](std::vector<SlotPicture>& pictures) {
        return PrepareTicked(values, block, false, pictures);
    };
    if (StartDownload(prepare, false, first) != Start::Started)
        return false;
    Send(first);
    return true;
}

bool WheelProtocol::OnDownloadPictures(const std::vector<SlotPicture>& pictures)
{
    Report first;
    const auto prepare = [&](std::vector<SlotPicture>& list) {
        if (pictures.empty() || pictures.size() > kSlotBoxes) {
            m_view.ShowMessage(kNoSlot, kCaptionHint);
            return false;
        }
        list = pictures;
        return true;
    };
    if (StartDownload(prepare, false, first) != Start::Started)
        return false;
    Send(first);
    return true;
}

bool WheelProtocol::PrepareTicked(const ProtocolInputs& values, TransferBlock& block, bool factory,
                                  std::vector<SlotPicture>& pictures)
{
    if (!factory && values.m_bPictureLoaded == 0) {
        m_view.ShowMessage(kNoPicture, kCaptionHintPlain);
        return false;
    }
    const std::vector<std::uint8_t> table = BuildSlotTable(values.m_slotChecks);
    if (table.empty()) {
        m_view.ShowMessage(kNoSlot, kCaptionHint);
        return false;
    }
    // The window's block keeps the mode of this download and the trailer a
    // rendering gives; every picture sent gets that trailer, the last one 0xBB.
    block[kTrailerMode] = static_cast<std::uint8_t>(values.m_b48Mode);
    block[kTrailerMarker] = MarkerPicture;
    block[kTrailerDirection] = 0xAA;
    block[kTrailerSteps] = 0xAA;
    for (std::size_t p = 0; p < table.size(); ++p) {
        SlotPicture picture{table[p], block};
        if (factory)
            picture.block = kFactoryPictures[std::min<std::size_t>(p, kFactoryPictures.size() - 1)];
        else if (p + 1 == table.size())
            picture.block[kTrailerMarker] = MarkerLastPicture;
        pictures.push_back(picture);
    }
    return true;
}

WheelProtocol::Start WheelProtocol::StartDownload(const Prepare& prepare, bool factory, Report& first)
{
    {
        std::lock_guard lock(m_mutex);
        if (RefuseWhileBusy(Operation::Download))
            return Start::Refused;
    }
    if (!EnsureConnected())
        return Start::Refused;

    std::lock_guard lock(m_mutex);
    std::vector<SlotPicture> pictures;
    if (!prepare(pictures))
        return Start::Refused;

    m_pictures = std::move(pictures);
    m_slotTable.fill(0);
    std::vector<std::uint8_t> slots;
    for (std::size_t p = 0; p < m_pictures.size(); ++p) {
        m_slotTable[p] = m_pictures[p].slot;
        slots.push_back(m_pictures[p].slot);
    }
    m_nSlotCount = static_cast<std::uint8_t>(m_pictures.size());
    m_bDownloading = 1;
    m_bFactory = factory ? 1 : 0;

    m_view.DownloadStarting(slots);
    m_view.EnableOperationButtons(false);
    m_nChunk = 0;
    m_nPicture = 0;
    m_lastResult = Result::None;
    m_lastAnswer = m_clock();
    first = SendDownloadReport();
    return Start::Started;
}

WheelProtocol::Report WheelProtocol::SendDownloadReport()
{
    const TransferBlock& source = m_pictures[m_nPicture].block;
    Report report;
    report.send = true;
    report.slot = m_slotTable[m_nPicture];
    report.chunk = m_nChunk;
    std::copy_n(source.begin() + kChunkBytes * m_nChunk, kChunkBytes, report.data.begin());
    return report;
}

DownloadOutcome WheelProtocol::Outcome(bool ended) const
{
    DownloadOutcome outcome;
    outcome.confirmed.assign(m_pictures.begin(), m_pictures.begin() + m_nPicture);
    if (ended && m_nPicture < m_nSlotCount)
        outcome.unfinished.push_back(m_pictures[m_nPicture].slot);
    return outcome;
}

WheelProtocol::Report WheelProtocol::SendCalibrationReport()
{
    Report report;
    report.send = true;
    report.slot = m_slotTable[m_nPicture];
    report.chunk = m_nChunk;
    std::copy_n(m_sendBlock.begin() + kChunkBytes * m_nChunk, kChunkBytes, report.data.begin());
    return report;
}

bool WheelProtocol::OnCalibrate(const ProtocolInputs& values, TransferBlock& block)
{
    {
        std::lock_guard lock(m_mutex);
        if (RefuseWhileBusy(Operation::Calibration))
            return false;

        const int n = AngleFromFieldText(values.angleText);
        if (n < 0 || n > 90) {
            m_view.ShowMessage(kAngleRange, kCaptionHint);
            return false;
        }
        m_nAngleSteps = AngleSteps(n);
    }

    std::string confirmation = kConfirmation + values.angleText;
    if (values.m_nDirection == 0) {
        confirmation += kTurnLeft;
    } else if (values.m_nDirection == 1) {
        confirmation += kTurnRight;
    } else {
        std::lock_guard lock(m_mutex);
        m_view.ShowMessage(kBadDirection, kApplicationTitle);
    }
    if (values.m_nAngle == 0) {
        std::lock_guard lock(m_mutex);
        m_view.ShowMessage(kAngleMissing, kApplicationTitle);
        return false;
    }
    if (!EnsureConnected())
        return false;

    Report first;
    {
        std::lock_guard lock(m_mutex);
        m_view.ReplaceLog(confirmation);
        m_nChunk = 0;
        m_nPicture = 0;
        m_bCalibrating = 1;
        block[kTrailerMarker] = MarkerCalibration;
        block[kTrailerDirection] = static_cast<std::uint8_t>(values.m_nDirection);
        block[kTrailerSteps] = static_cast<std::uint8_t>(m_nAngleSteps);
        m_sendBlock = block;
        m_lastResult = Result::None;
        m_lastAnswer = m_clock();
        first = SendCalibrationReport();
    }
    Send(first);
    return true;
}

bool WheelProtocol::OnFactoryReset(const ProtocolInputs& values, TransferBlock& block)
{
    ProtocolInputs factory = values;
    factory.m_b48Mode = 1;
    {
        std::lock_guard lock(m_mutex);
        m_view.Set48Mode(true);
    }
    OnSelectAll();
    factory.m_slotChecks.fill(1);

    Report first;
    const auto prepare = [&](std::vector<SlotPicture>& pictures) {
        return PrepareTicked(factory, block, true, pictures);
    };
    const bool started = StartDownload(prepare, true, first) == Start::Started;
    Send(first);
    OnDeselectAll();
    return started;
}

void WheelProtocol::OnSelectAll()
{
    std::lock_guard lock(m_mutex);
    m_view.SetAllSlotBoxes(true);
}

void WheelProtocol::OnDeselectAll()
{
    std::lock_guard lock(m_mutex);
    m_view.SetAllSlotBoxes(false);
}

void WheelProtocol::OnAnswer(std::uint8_t code)
{
    if (code != AnswerNext && code != AnswerDone)
        return;
    Report next;
    {
        std::lock_guard lock(m_mutex);
        if (!m_bDownloading && !m_bCalibrating)
            return;  // nothing asked for this answer
        m_lastAnswer = m_clock();

        if (m_bCalibrating) {
            if (code == AnswerNext) {
                if (m_nChunk + 1 >= kChunksPerBlock)
                    return;  // the block is complete; only 0x44 may follow
                if (m_bStopRequested) {
                    ResetCounters();
                    m_view.AppendLog(kCalibrationStopped, true);
                    FinishOperation(Result::Stopped);
                    return;
                }
                ++m_nChunk;
                next = SendCalibrationReport();
            } else {
                ResetCounters();
                m_view.AppendLog(kCalibrationOk, true);
                m_view.ShowMessage(kCalibrationOk, kCaptionSuccess);
                FinishOperation(Result::Succeeded);
            }
        } else if (code == AnswerNext) {
            if (m_nChunk + 1 >= kChunksPerBlock)
                return;
            if (m_bStopRequested) {
                StopDownload(true);
                return;
            }
            ++m_nChunk;
            next = SendDownloadReport();
        } else {
            ++m_nPicture;
            m_nChunk = 0;
            m_nPercent = m_nPicture * 100 / m_nSlotCount;
            m_view.SetProgress(m_nPercent);
            if (m_nPicture < m_nSlotCount && m_bStopRequested) {
                StopDownload(false);
                return;
            }
            if (m_nPicture < m_nSlotCount) {
                next = SendDownloadReport();
            } else {
                m_view.DownloadEnded(Outcome(false));
                ResetCounters();
                m_view.AppendLog(kDownloadOk, true);
                m_view.ShowMessage(kDownloadDone, kCaptionSuccess);
                FinishOperation(Result::Succeeded);
            }
        }
    }
    Send(next);
}

void WheelProtocol::OnDeviceRemoved()
{
    std::lock_guard lock(m_mutex);
    m_bConnected = 0;
    if (m_bDownloading) {
        m_view.DownloadEnded(Outcome(true));
        ResetCounters();
        m_view.ShowMessage(kUnplugged, kApplicationTitle);
        FinishOperation(Result::DeviceRemoved);
        m_view.SetAllSlotBoxes(false);
    } else if (m_bCalibrating) {
        // Only the link closes, as at any other time; the next operation
        // must not take its answers for a calibration's.
        ResetCounters();
        FinishOperation(Result::DeviceRemoved);
    }
}

void WheelProtocol::Tick()
{
    std::lock_guard lock(m_mutex);
    if (!m_bDownloading && !m_bCalibrating)
        return;
    if (m_clock() - m_lastAnswer < kAnswerTimeout)
        return;
    const bool calibrating = m_bCalibrating != 0;
    if (!calibrating)
        m_view.DownloadEnded(Outcome(true));
    ResetCounters();
    m_view.AppendLog(calibrating ? kCalibrationTimeoutLog : kDownloadTimeoutLog, true);
    m_view.ShowMessage(calibrating ? kCalibrationTimeoutBox : kDownloadTimeoutBox, kApplicationTitle);
    FinishOperation(Result::TimedOut);
}

void WheelProtocol::RequestStop()
{
    std::lock_guard lock(m_mutex);
    if (m_bDownloading || m_bCalibrating)
        m_bStopRequested = true;
}

void WheelProtocol::StopDownload(bool midPicture)
{
    m_view.DownloadEnded(Outcome(midPicture));
    ResetCounters();
    m_view.AppendLog(kDownloadStopped, true);
    FinishOperation(Result::Stopped);
}

void WheelProtocol::ResetCounters()
{
    m_nSlotCount = 0;
    m_nPicture = 0;
    m_nChunk = 0;
    m_bDownloading = 0;
    m_bCalibrating = 0;
    m_bStopRequested = false;
}

void WheelProtocol::FinishOperation(Result result)
{
    m_bFactory = 0;
    m_lastResult = result;
    m_view.EnableOperationButtons(true);
    m_idle.notify_all();
}

} // namespace wheel
