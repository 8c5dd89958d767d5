// The set window's controls, its cells and how they are rendered, and what
// the user does to a cell.

#include "app/SetWindow.h"

#include "app/AdjustmentsDlg.h"
#include "app/AppTexts.h"
#include "app/PictureArea.h"
#include "app/PictureFilters.h"
#include "app/SetCell.h"
#include "app/SetTexts.h"
#include "app/DeviceOperations.h"
#include "app/WindowBeside.h"
#include "dialogs/Dialogs.h"
#include "texts/ShownText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

CSetWindow::CSetWindow(CDeviceOperations& device, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_device(device)
    , m_loader(std::make_unique<wheel::CellLoader>())
{
    setObjectName(QStringLiteral("setWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();

    connect(&m_device, &CDeviceOperations::operationChanged, this, &CSetWindow::OnOperationChanged);
    connect(&m_device, &CDeviceOperations::progressShown, this, &CSetWindow::OnProgress);
    connect(&m_device, &CDeviceOperations::recordChanged, this, &CSetWindow::RefreshRecord);

    m_doc.New();
    RenderAll();
    RefreshRecord();
    OnOperationChanged();
}

CSetWindow::~CSetWindow()
{
    // The workers' results are posted to this window: none may come after.
    m_loader.reset();
    m_recordPreviews.Cancel();
}

void CSetWindow::BuildControls()
{
    auto button = [this](const char* name, const char* text) {
        auto* b = new QPushButton(wheel::Shown(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_btnNew = button("btnNewSet", wheel::kNewSetText);
    m_btnOpen = button("btnOpenSet", wheel::kOpenSetText);
    m_btnSave = button("btnSaveSet", wheel::kSaveSetText);
    m_btnSaveAs = button("btnSaveSetAs", wheel::kSaveSetAsText);
    m_btnSaveRecord = button("btnSaveRecordAsSet", wheel::kSaveRecordText);
    m_btnDownloadAll = button("btnDownloadAll", wheel::kDownloadAllText);
    m_btnNew->setShortcut(QKeySequence::New);
    m_btnOpen->setShortcut(QKeySequence::Open);
    m_btnSave->setShortcut(QKeySequence::Save);
    // Not QKeySequence::SaveAs: it is empty on a plain X11 desktop.
    m_btnSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(m_btnNew, &QPushButton::clicked, this, &CSetWindow::OnNew);
    connect(m_btnOpen, &QPushButton::clicked, this, &CSetWindow::OnOpen);
    connect(m_btnSave, &QPushButton::clicked, this, &CSetWindow::OnSave);
    connect(m_btnSaveAs, &QPushButton::clicked, this, &CSetWindow::OnSaveAs);
    connect(m_btnSaveRecord, &QPushButton::clicked, this, &CSetWindow::OnSaveRecordAsSet);
    connect(m_btnDownloadAll, &QPushButton::clicked, this, &CSetWindow::OnDownloadAll);

    m_chk48Mode = new QCheckBox(wheel::Shown(wheel::kSet48ModeText), this);
    m_chk48Mode->setObjectName(QStringLiteral("chkSet48Mode"));
    connect(m_chk48Mode, &QCheckBox::toggled, this, [this](bool on) {
        m_doc.SetMode48(on);
        UpdateTitle();
    });
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblSetStatus"));
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressSet"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setAccessibleName(wheel::Shown(wheel::kSetProgressName));
    m_progress->setFixedWidth(160);
    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("lblSetProgress"));
    OnProgress(0);
    m_progressText->setMinimumWidth(m_progressText->fontMetrics().horizontalAdvance(m_progressText->text() + "00"));

    auto* top = new QHBoxLayout;
    for (QPushButton* b : {m_btnNew, m_btnOpen, m_btnSave, m_btnSaveAs})
        top->addWidget(b);
    top->addStretch(1);
    top->addWidget(m_btnSaveRecord);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_chk48Mode);
    bottom->addSpacing(12);
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_progress);
    bottom->addWidget(m_progressText);
    bottom->addWidget(m_btnDownloadAll);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("setCells"));
    m_scroll->setWidget(BuildCells());
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);   // the cells take the focus, and scroll into view
    // The cells flow into as many columns as the width takes.
    m_scroll->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_scroll, 1);
    layout->addLayout(bottom);

    // What the controls around the cells take: the window's size less the
    // scroll area's room.
    resize(640, 480);
    const QSize room = screen()->availableGeometry().size();
    resize(WantedSize(room).boundedTo(room));
}

// ---- rendering ---------------------------------------------------------------

void CSetWindow::Render(const std::vector<int>& boxes)
{
    for (int box : boxes) {
        const auto i = static_cast<std::size_t>(box - 1);
        m_rendered[i].reset();
        m_pending[i] = m_doc.Set().Cell(box).has_value();
    }
    // A new start drops what the last one has not handed over yet, so the
    // cells still waiting go along again.
    wheel::PictureSet waiting;
    for (int box = 1; box <= wheel::kSlotBoxes; ++box)
        if (m_pending[static_cast<std::size_t>(box - 1)])
            waiting.Cell(box) = m_doc.Set().Cell(box);
    if (waiting.FilledCount() == 0) {
        m_loader->Cancel();
        m_nGeneration = m_loader->Generation();
    } else {
        m_nGeneration = m_loader->Start(
            waiting, [this](std::uint64_t generation, int box, const wheel::CellRendering& rendering) {
                // On a worker thread: the window takes it on its own.
                QMetaObject::invokeMethod(
                    this, [this, generation, box, rendering] { OnCellRendered(generation, box, rendering); },
                    Qt::QueuedConnection);
            },
            DevicePixels(CSetCell::kPreviewSide));
    }
    for (int box : boxes)
        ShowCell(box);
    UpdateState();
}

void CSetWindow::RenderAll()
{
    std::vector<int> boxes;
    for (int box = 1; box <= wheel::kSlotBoxes; ++box)
        boxes.push_back(box);
    Render(boxes);
    RetargetAdjustments();
    m_chk48Mode->setChecked(m_doc.Set().mode48);
    UpdateTitle();
}

void CSetWindow::OnCellRendered(std::uint64_t generation, int box, const wheel::CellRendering& rendering)
{
    if (generation != m_nGeneration)
        return;  // the cell changed since: another rendering is on its way
    const auto i = static_cast<std::size_t>(box - 1);
    m_rendered[i] = rendering;
    m_pending[i] = false;
    ShowCell(box);
    if (box == m_nAdjustedBox && rendering.otsuThreshold != m_nAdjustedOtsu)
        RetargetAdjustments();  // the automatic threshold is known now
    UpdateState();
}

void CSetWindow::ShowCell(int box)
{
    CSetCell* cell = Cell(box);
    const std::optional<wheel::SetCell>& content = m_doc.Set().Cell(box);
    const std::optional<wheel::CellRendering>& rendering = m_rendered[static_cast<std::size_t>(box - 1)];
    if (!content)
        cell->ShowEmpty();
    else if (!rendering)
        cell->ShowLoading(content->picture, content->adjustments);
    else if (!*rendering)
        cell->ShowProblem(content->picture, content->adjustments,
                          wheel::TranslateShown(QString::fromStdString(wheel::LoadErrorText(rendering->error))));
    else
        cell->ShowPreview(content->picture, content->adjustments, MatToQImage(rendering->preview));
}

int CSetWindow::PendingCount() const
{
    return static_cast<int>(std::count(m_pending.begin(), m_pending.end(), true));
}

bool CSetWindow::AllRendered() const
{
    return PendingCount() == 0;
}

// ---- the cells ---------------------------------------------------------------

void CSetWindow::OnPicturesDropped(int box, const QStringList& paths)
{
    if (m_bBusy)
        return;
    if (paths.size() == 1 && paths.first().endsWith(QStringLiteral(".wheelset"), Qt::CaseInsensitive)) {
        OpenSetFile(paths.first());   // a set file is opened, not taken for a picture
        return;
    }
    const wheel::SetDocument::Dropped dropped = m_doc.Drop(box, paths);
    Render(dropped.boxes);
    if (std::find(dropped.boxes.begin(), dropped.boxes.end(), m_nAdjustedBox) != dropped.boxes.end())
        RetargetAdjustments();
    UpdateTitle();
    if (!dropped.refused.isEmpty())
        Tell(QString::fromUtf8(wheel::kNoRoomText).arg(QString::number(box), dropped.refused.join(QLatin1Char('\n'))));
}

void CSetWindow::OnChoosePicture(int box)
{
    const QString path = wheel::FileDialog::GetOpenFileName(this, QString::fromUtf8(wheel::kChoosePictureCaption),
                                                            wheel::PictureFileFilters());
    if (path.isEmpty() || m_bBusy)
        return;
    m_doc.Put(box, path);
    Render({box});
    if (box == m_nAdjustedBox)
        RetargetAdjustments();
    UpdateTitle();
}

void CSetWindow::OnClear(int box)
{
    if (m_bBusy)
        return;
    m_doc.Clear(box);
    Render({box});
    if (box == m_nAdjustedBox)
        RetargetAdjustments();
    UpdateTitle();
}

void CSetWindow::OnAdjust(int box)
{
    if (!m_doc.Set().Cell(box))
        return;
    const bool first = !m_adjustments;
    if (first) {
        m_adjustments = new CAdjustmentsDlg(this);
        m_adjustments->setObjectName(QStringLiteral("setAdjustmentsWindow"));
    }
    m_nAdjustedBox = box;
    RetargetAdjustments();
    UpdateState();
    ShowBeside(m_adjustments, this, first);
}

void CSetWindow::RetargetAdjustments()
{
    if (!m_adjustments || !m_nAdjustedBox)
        return;
    const int box = m_nAdjustedBox;
    const std::optional<wheel::SetCell>& cell = m_doc.Set().Cell(box);
    if (!cell) {
        m_adjustments->ClearTarget();
        return;
    }
    const std::optional<wheel::CellRendering>& rendering = m_rendered[static_cast<std::size_t>(box - 1)];
    m_nAdjustedOtsu = rendering ? rendering->otsuThreshold : -1;
    m_adjustments->setWindowTitle(wheel::TranslateShown(QString::fromUtf8(wheel::kAdjustCellTitle).arg(box)));
    m_adjustments->SetTarget(cell->adjustments, std::max(0, m_nAdjustedOtsu),
                             [this, box](const wheel::PictureAdjustments& wanted) {
                                 if (m_bBusy || !m_doc.Adjust(box, wanted))
                                     return false;
                                 Render({box});   // live: the cell follows the slider
                                 UpdateTitle();
                                 return true;
                             });
}

void CSetWindow::Tell(const QString& text)
{
    wheel::MessageBox::Show(isVisible() ? static_cast<QWidget*>(this) : parentWidget(), text, QString::fromUtf8(wheel::kCaptionHint));
}
