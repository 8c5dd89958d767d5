#pragma once
// The picture-set window ("图片组…", Ctrl+G): the twenty slot boxes of a
// picture set, each with its own picture and adjustments, rendered on worker
// threads and shown as each is ready, beside what the record says the wheel
// light holds in that slot. Sets are made by dropping pictures on the cells,
// kept in .wheelset files, and sent in one download ("下载全部") through the
// main window's device protocol.
//
// One per main window, which owns it; it is deleted when closed. While any
// operation of the wheel light runs (a download of any kind or a
// calibration), the set cannot be edited or downloaded.

#include "sets/CellLoader.h"
#include "sets/SetDocument.h"
#include "sets/SetDownload.h"
#include "sets/WorkQueue.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class CAdjustmentsDlg;
class CSetCell;
class CDeviceOperations;
class QCheckBox;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;

class CSetWindow : public QWidget {
    Q_OBJECT
public:
    // A window of its own over `parent`, following the wheel light through
    // `device`.
    CSetWindow(CDeviceOperations& device, QWidget* parent);
    ~CSetWindow() override;

    // Opens a set file, after asking about unsaved changes; a refused file
    // is named in a message with the reason and changes nothing. True when
    // the set is open.
    bool OpenSetFile(const QString& path);

    const wheel::SetDocument& Document() const { return m_doc; }
    CSetCell* Cell(int box) const { return m_cells.at(static_cast<std::size_t>(box - 1)); }
    // Every filled cell is rendered (or found unloadable).
    bool AllRendered() const;

    // The window's size with all cells shown in five columns, on a screen
    // whose available room is `room` (the scroll bar's width added when they
    // do not fit its height), and the smallest size worth opening it at.
    QSize WantedSize(QSize room) const;
    QSize MinimumUsefulSize() const;
    int Columns() const { return m_nColumns; }

signals:
    // The window was closed; it is deleted once the event loop gets to it.
    void closed();

private slots:
    void OnNew();
    void OnOpen();
    bool OnSave();
    bool OnSaveAs();
    void OnDownloadAll();
    void OnSaveRecordAsSet();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildCells();
    // The cells in rows of `columns`; the Tab order stays the boxes'.
    void LayOutCells(int columns);
    int ColumnsFor(QSize room) const;   // room: the scroll area's, without scroll bars
    QSize CellsSize(int columns, int rows) const;
    QSize Around() const;
    // A preview's side in the screen's pixels, so that it is drawn sharp.
    int DevicePixels(int side) const;
    // The arrow keys on a cell: to the next cell that way.
    void StepFocus(int box, int dx, int dy);

    // The cells of these boxes changed: their renderings start again (with
    // those of cells still waiting), and they show as loading meanwhile.
    void Render(const std::vector<int>& boxes);
    void RenderAll();
    void OnCellRendered(std::uint64_t generation, int box, const wheel::CellRendering& rendering);
    void ShowCell(int box);
    int PendingCount() const;

    // The user's gestures on the cells.
    void OnPicturesDropped(int box, const QStringList& paths);
    void OnChoosePicture(int box);
    void OnAdjust(int box);
    void OnClear(int box);
    // Gives the adjustments window the cell it edits as that cell is now.
    void RetargetAdjustments();

    // Unsaved changes: true when the user saved or dropped them, false to
    // stay.
    bool MaybeSave();
    bool LoadSet(const QString& path);
    void UpdateTitle();

    // What the record says each slot holds, and whether an operation runs.
    void RefreshRecord();
    void OnOperationChanged();
    void OnProgress(int percent);
    void UpdateState();

    void Tell(const QString& text);

    CDeviceOperations& m_device;
    wheel::SetDocument m_doc;
    std::array<CSetCell*, wheel::kSlotBoxes> m_cells{};
    wheel::CellRenderings m_rendered;                      // [box - 1]
    std::array<bool, wheel::kSlotBoxes> m_pending{};       // rendering asked for, not in yet
    struct OnWheel {
        std::optional<wheel::TransferBlock> block;  // the block `image` shows
        QImage image;
        QString name;
        QString tip;
    };
    std::array<OnWheel, wheel::kSlotBoxes> m_onWheel;  // what the cells show of the record
    std::uint64_t m_nGeneration = 0;
    CAdjustmentsDlg* m_adjustments = nullptr;  // made when first asked for
    int m_nAdjustedBox = 0;                    // the cell it edits; 0 for none
    int m_nAdjustedOtsu = -1;
    bool m_bDownloading = false;  // a download of this window runs
    bool m_bBusy = false;         // any operation of the wheel light runs

    QPushButton* m_btnNew = nullptr;
    QPushButton* m_btnOpen = nullptr;
    QPushButton* m_btnSave = nullptr;
    QPushButton* m_btnSaveAs = nullptr;
    QPushButton* m_btnSaveRecord = nullptr;
    QCheckBox* m_chk48Mode = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_progressText = nullptr;
    QPushButton* m_btnDownloadAll = nullptr;
    QScrollArea* m_scroll = nullptr;
    QGridLayout* m_grid = nullptr;
    int m_nColumns = 0;
    QString m_strSaved;  // the status after "把轮上的图片存为图片组…"

    // The workers post their results to this window: they stop before the rest goes.
    wheel::WorkQueue m_recordPreviews{1};  // the previews of what the wheel holds
    std::unique_ptr<wheel::CellLoader> m_loader;
};
