// The set window's cells on screen: as many columns as its width takes, the
// sizes it asks for where it opens, and moving between the cells with the
// keyboard.

#include "app/SetWindow.h"

#include "app/SetCell.h"

#include <QEvent>
#include <QGridLayout>
#include <QLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kColumns = 5;
constexpr int kSpacing = 6;

} // namespace

QWidget* CSetWindow::BuildCells()
{
    auto* area = new QWidget;
    m_grid = new QGridLayout(area);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setSpacing(kSpacing);
    for (int box = 1; box <= wheel::kSlotBoxes; ++box) {
        auto* cell = new CSetCell(box, area);
        m_cells[static_cast<std::size_t>(box - 1)] = cell;
        connect(cell, &CSetCell::picturesDropped, this, &CSetWindow::OnPicturesDropped);
        connect(cell, &CSetCell::choosePicture, this, &CSetWindow::OnChoosePicture);
        connect(cell, &CSetCell::adjust, this, &CSetWindow::OnAdjust);
        connect(cell, &CSetCell::clear, this, &CSetWindow::OnClear);
        connect(cell, &CSetCell::stepFocus, this, &CSetWindow::StepFocus);
    }
    LayOutCells(kColumns);

    // Escape and Ctrl+W close the window, as they close a dialog.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    return area;
}

void CSetWindow::LayOutCells(int columns)
{
    m_nColumns = columns;
    const int rows = (wheel::kSlotBoxes + columns - 1) / columns;
    for (CSetCell* cell : m_cells)
        m_grid->removeWidget(cell);
    for (int i = 0; i <= kColumns; ++i)
        m_grid->setColumnStretch(i, 0);
    for (int i = 0; i <= wheel::kSlotBoxes; ++i)
        m_grid->setRowStretch(i, 0);
    for (int box = 1; box <= wheel::kSlotBoxes; ++box)
        m_grid->addWidget(Cell(box), (box - 1) / columns, (box - 1) % columns);
    m_grid->setRowStretch(rows, 1);
    m_grid->setColumnStretch(columns, 1);
    // Tab visits the cells in the order of their boxes, whatever the rows.
    for (int box = 1; box < wheel::kSlotBoxes; ++box)
        setTabOrder(Cell(box), Cell(box + 1));
}

int CSetWindow::ColumnsFor(QSize room) const
{
    // The most columns that fit, beside the vertical scroll bar where the
    // rows they make are taller than the room.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll->verticalScrollBar());
    for (int columns = kColumns; columns > 1; --columns) {
        const QSize cells = CellsSize(columns, (wheel::kSlotBoxes + columns - 1) / columns);
        if (cells.width() <= room.width() - (cells.height() > room.height() ? bar : 0))
            return columns;
    }
    return 1;
}

QSize CSetWindow::CellsSize(int columns, int rows) const
{
    // The grid's own measure where it has these columns now; else from the
    // cells' (fixed width, the tallest's height).
    if (columns == m_nColumns && rows == (wheel::kSlotBoxes + columns - 1) / columns)
        return m_grid->sizeHint();
    int height = 0;
    for (const CSetCell* cell : m_cells)
        height = std::max(height, cell->sizeHint().height());
    return {columns * Cell(1)->minimumWidth() + (columns - 1) * kSpacing, rows * height + (rows - 1) * kSpacing};
}

QSize CSetWindow::Around() const
{
    // What the window takes around the cells: its margins, the rows of
    // controls above and below them and the spacing between (from the
    // layout's hints: a window not yet shown has no geometry to measure).
    QLayout* rows = layout();
    const QMargins margins = rows->contentsMargins();
    int spacing = rows->spacing();
    if (spacing < 0)
        spacing = style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, this);
    int height = margins.top() + margins.bottom();
    for (int i = 0; i < rows->count(); ++i)
        if (rows->itemAt(i)->widget() != m_scroll)
            height += rows->itemAt(i)->sizeHint().height() + spacing;
    return {margins.left() + margins.right() + 2 * m_scroll->frameWidth(), height};
}

QSize CSetWindow::WantedSize(QSize room) const
{
    const int rows = (wheel::kSlotBoxes + kColumns - 1) / kColumns;
    QSize wanted = CellsSize(kColumns, rows) + Around();
    // Taller than the screen: the vertical scroll bar comes, and takes its
    // width from the cells unless the window is that much wider.
    if (wanted.height() > room.height())
        wanted.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll->verticalScrollBar());
    return wanted;
}

QSize CSetWindow::MinimumUsefulSize() const
{
    return CellsSize(2, 2) + Around()
         + QSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll->verticalScrollBar()), 0);
}

bool CSetWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll && event->type() == QEvent::Resize) {
        const int columns = ColumnsFor(m_scroll->maximumViewportSize());
        if (columns != m_nColumns)
            LayOutCells(columns);
    }
    return QWidget::eventFilter(watched, event);
}

void CSetWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        m_progressText->setMinimumWidth(
            m_progressText->fontMetrics().horizontalAdvance(m_progressText->text() + QStringLiteral("00")));
}

int CSetWindow::DevicePixels(int side) const
{
    return static_cast<int>(std::ceil(side * devicePixelRatioF()));
}

void CSetWindow::StepFocus(int box, int dx, int dy)
{
    int target = box + dx + dy * m_nColumns;
    if (dy != 0 && (target < 1 || target > wheel::kSlotBoxes))
        return;
    target = std::clamp(target, 1, wheel::kSlotBoxes);
    CSetCell* cell = Cell(target);
    cell->setFocus(Qt::OtherFocusReason);
    m_scroll->ensureWidgetVisible(cell);
}
