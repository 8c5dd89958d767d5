// The set window and the wheel light: "下载全部" through the main window's
// protocol, what the record says each slot holds, and the record saved as a
// set. Whatever operation runs (started here or in the main window), the set
// is not edited or downloaded meanwhile.

#include "app/SetWindow.h"

#include "app/AdjustmentsDlg.h"
#include "app/AppTexts.h"
#include "app/PictureArea.h"
#include "app/SetCell.h"
#include "app/SetTexts.h"
#include "app/DeviceOperations.h"
#include "dialogs/Dialogs.h"
#include "picture/PictureFile.h"
#include "protocol/ProtocolView.h"
#include "sets/RecordAsSet.h"
#include "sets/SetFile.h"
#include "texts/Language.h"
#include "texts/ShownText.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

void CSetWindow::OnDownloadAll()
{
    if (m_bBusy || !AllRendered())
        return;
    if (m_doc.Set().FilledCount() == 0) {
        Tell(QString::fromUtf8(wheel::kEmptySetText));
        return;
    }
    const wheel::SetDownload plan = wheel::PlanSetDownload(m_doc.Set(), m_rendered);
    if (plan.pictures.empty()) {
        Tell(QString::fromUtf8(wheel::kNothingLoadsText));
        return;
    }
    if (!plan.skipped.empty()) {
        // Each line translated on its own: the list is no text of the catalogue.
        QStringList lines;
        for (int box : plan.skipped) {
            const std::string reason = wheel::LoadErrorText(m_rendered[static_cast<std::size_t>(box - 1)]->error);
            lines << wheel::TranslateShown(
                QString::fromUtf8(wheel::kSkippedBox).arg(QString::number(box), QString::fromStdString(reason)));
        }
        const int answer = wheel::QuestionBox::Ask(
            this, QString::fromUtf8(wheel::kSkipQuestion).arg(lines.join(QLatin1Char('\n'))), QString::fromUtf8(wheel::kCaptionHint),
            {QString::fromUtf8(wheel::kDownloadOthersButton), QString::fromUtf8(wheel::kCancelButton)});
        if (answer != 0 || m_bBusy)
            return;
    }
    OnProgress(0);
    // Set first: the protocol's first effects may come before the call returns.
    m_bDownloading = true;
    if (!m_device.DownloadPictures(plan.pictures, plan.names))
        m_bDownloading = false;
    UpdateState();
}

void CSetWindow::OnProgress(int percent)
{
    if (m_bDownloading || percent == 0) {
        m_progress->setValue(percent);
        m_progressText->setText(wheel::TranslateShown(QString::fromStdString(wheel::ProgressText(percent))));
    }
}

void CSetWindow::OnOperationChanged()
{
    m_bBusy = m_device.OperationRunning();
    if (!m_bBusy)
        m_bDownloading = false;
    UpdateState();
}

void CSetWindow::UpdateState()
{
    const bool editable = !m_bBusy;
    for (CSetCell* cell : m_cells)
        cell->SetEditable(editable);
    for (QWidget* w : {static_cast<QWidget*>(m_btnNew), static_cast<QWidget*>(m_btnOpen),
                       static_cast<QWidget*>(m_chk48Mode), static_cast<QWidget*>(m_btnSaveRecord)})
        w->setEnabled(editable);
    const int pending = PendingCount();
    m_btnDownloadAll->setEnabled(editable && pending == 0);
    if (m_adjustments)
        m_adjustments->SetEditable(editable);
    if (pending > 0) {
        const int filled = m_doc.Set().FilledCount();
        m_status->setText(wheel::TranslateShown(
            QString::fromUtf8(wheel::kLoadingStatus).arg(QString::number(filled - pending), QString::number(filled))));
    } else {
        m_status->setText(m_strSaved);
    }
}

void CSetWindow::RefreshRecord()
{
    const wheel::WheelRecord record = wheel::ReadRecord(m_device.RecordPath());
    std::vector<std::pair<int, wheel::TransferBlock>> changed;
    for (int box = 1; box <= wheel::kSlotBoxes; ++box) {
        const wheel::RecordedSlot& slot = record.Box(box);
        OnWheel& shown = m_onWheel[static_cast<std::size_t>(box - 1)];
        if (!slot.Holds()) {
            shown = {};
            Cell(box)->ShowOnWheel({}, {}, {});
            continue;
        }
        // In the editor's language, whatever the desktop's.
        const QString time = wheel::ShownLocale().toString(slot.time.toLocalTime(), QLocale::ShortFormat);
        shown.tip = wheel::TranslateShown(QString::fromUtf8(wheel::kOnWheelTip).arg(slot.name, time));
        shown.name = wheel::TranslateShown(slot.name);
        if (shown.block == slot.block)
            Cell(box)->ShowOnWheel(shown.image, shown.name, shown.tip);
        else
            changed.emplace_back(box, slot.block);
    }
    if (changed.empty()) {
        m_recordPreviews.Cancel();
        return;
    }
    // A preview costs a few milliseconds, twenty of them too long for the
    // window's thread: they are drawn on a thread of their own, as the cells
    // are, each at the screen's pixels, and each shown when it is ready unless
    // the record changed again.
    const int side = DevicePixels(CSetCell::kOnWheelSide);
    std::vector<wheel::WorkQueue::Task> tasks;
    for (const auto& [box, block] : changed) {
        tasks.push_back([this, box = box, block = block, side](std::uint64_t generation) {
            QImage image = MatToQImage(wheel::RecordedPreview(block, side));
            return std::function<void()>([this, generation, box, block, image = std::move(image)] {
                QMetaObject::invokeMethod(
                    this,
                    [this, generation, box, block, image] {
                        if (generation != m_recordPreviews.Generation())
                            return;
                        OnWheel& shown = m_onWheel[static_cast<std::size_t>(box - 1)];
                        shown.block = block;
                        shown.image = image;
                        Cell(box)->ShowOnWheel(image, shown.name, shown.tip);
                    },
                    Qt::QueuedConnection);
            });
        });
    }
    m_recordPreviews.Start(std::move(tasks));
}

void CSetWindow::OnSaveRecordAsSet()
{
    if (m_bBusy)
        return;
    const wheel::WheelRecord record = wheel::ReadRecord(m_device.RecordPath());
    if (wheel::RecordSetPictures(record, QStringLiteral("x.wheelset")).isEmpty()) {
        Tell(QString::fromUtf8(wheel::kNothingKnownText));
        return;
    }
    const QString folder = m_doc.Path().isEmpty() ? QDir::homePath() : QFileInfo(m_doc.Path()).absolutePath();
    const QString path = wheel::FileDialog::GetSaveFileName(
        this, QString::fromUtf8(wheel::kSaveRecordCaption), {QString::fromUtf8(wheel::kSetFilter)},
        QDir(folder).filePath(wheel::Shown(wheel::kRecordSetName) + QStringLiteral(".wheelset")));
    if (path.isEmpty())
        return;
    QStringList existing;
    for (const QString& picture : wheel::RecordSetPictures(record, path))
        if (QFileInfo::exists(picture))
            existing << picture;
    if (!existing.isEmpty()
        && wheel::QuestionBox::Ask(this, QString::fromUtf8(wheel::kReplaceQuestion).arg(existing.join(QLatin1Char('\n'))),
                                   wheel::Shown(wheel::kCaptionHint),
                                   {QString::fromUtf8(wheel::kReplaceButton), QString::fromUtf8(wheel::kCancelButton)})
               != 0)
        return;
    QString problem;
    switch (wheel::SaveRecordAsSet(record, path, &problem)) {
    case wheel::RecordSetResult::Saved:
        m_strSaved = wheel::TranslateShown(QString::fromUtf8(wheel::kSavedStatus)).arg(QDir::toNativeSeparators(path));
        UpdateState();
        break;
    case wheel::RecordSetResult::NothingKnown:
        Tell(QString::fromUtf8(wheel::kNothingKnownText));
        break;
    case wheel::RecordSetResult::Unwritable:
        Tell(wheel::SetFileErrorText(path, {wheel::SetFileError::Reason::Unwritable, 0, problem}));
        break;
    }
}
