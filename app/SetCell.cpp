#include "app/SetCell.h"

#include "app/SetTexts.h"
#include "texts/ShownText.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace {

// The local files a drag carries, in order; nothing when it carries
// something else as well.
QStringList LocalFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

} // namespace

CSetCell::CSetCell(int box, QWidget* parent)
    : QFrame(parent)
    , m_nBox(box)
{
    setObjectName(QStringLiteral("setCell%1").arg(box));
    setFrameShape(QFrame::StyledPanel);
    setAcceptDrops(true);

    auto* title = new QLabel(wheel::Shown(wheel::kCellTitle, QString::number(box)), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setFixedSize(kPreviewSide, kPreviewSide);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setWordWrap(true);
    m_preview->setFrameShape(QFrame::Panel);
    m_preview->setFrameShadow(QFrame::Sunken);

    auto* onWheelLabel = new QLabel(wheel::Shown(wheel::kOnWheelText), this);
    onWheelLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    m_onWheel = new QLabel(this);
    m_onWheel->setObjectName(QStringLiteral("onWheel"));
    m_onWheel->setFixedSize(kOnWheelSide, kOnWheelSide);
    m_onWheel->setAlignment(Qt::AlignCenter);
    m_onWheel->setWordWrap(true);

    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_adjustments = new QLabel(this);
    m_adjustments->setObjectName(QStringLiteral("adjustments"));
    m_adjustments->setWordWrap(true);
    m_adjustments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Two lines, so that the cells of a row line up whatever they hold.
    m_adjustments->setFixedHeight(2 * m_adjustments->fontMetrics().lineSpacing());

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(2);
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(m_preview, 1, 0, 2, 1);
    layout->addWidget(onWheelLabel, 1, 1);
    layout->addWidget(m_onWheel, 2, 1, Qt::AlignTop);
    layout->addWidget(m_name, 3, 0, 1, 2);
    layout->addWidget(m_adjustments, 4, 0, 1, 2);
    setFixedWidth(kPreviewSide + kOnWheelSide + 6 + 12 + 2 * frameWidth() + 8);

    ShowEmpty();
    ShowOnWheel({}, {});
}

QString CSetCell::AdjustmentsText(const wheel::PictureAdjustments& a)
{
    if (a.IsDefault())
        return wheel::Shown(wheel::kDefaultAdjustments);
    QStringList parts;
    if (a.rotate != wheel::Rotation::Deg0)
        parts << wheel::Shown(wheel::kRotatedText, QString::number(wheel::Degrees(a.rotate)));
    if (a.fit == wheel::FitMode::Fit)
        parts << wheel::Shown(wheel::kFitWholeText);
    else if (a.fit == wheel::FitMode::Crop)
        parts << wheel::Shown(wheel::kCropText);
    if (a.tone == wheel::Tone::Dither)
        parts << wheel::Shown(wheel::kDitherText);
    else if (a.tone == wheel::Tone::Outline)
        parts << wheel::Shown(wheel::kOutlineText);
    else if (a.threshold)
        parts << wheel::Shown(wheel::kThresholdText, QString::number(*a.threshold));
    if (a.invert)
        parts << wheel::Shown(wheel::kInvertText);
    return parts.join(QStringLiteral(" · "));
}

void CSetCell::ShowEmpty()
{
    m_bFilled = false;
    m_preview->clear();
    m_preview->setStyleSheet({});
    m_preview->setText(wheel::Shown(wheel::kCellEmpty));
    m_strName = wheel::Shown(wheel::kCellDropHint);
    m_name->setToolTip({});
    ElideName();
    m_adjustments->clear();
}

void CSetCell::ShowPicture(const QString& picture, const wheel::PictureAdjustments& adjustments)
{
    m_bFilled = true;
    m_strName = QFileInfo(picture).fileName();
    m_name->setToolTip(picture);
    ElideName();
    m_adjustments->setText(AdjustmentsText(adjustments));
}

void CSetCell::ShowLoading(const QString& picture, const wheel::PictureAdjustments& adjustments)
{
    ShowPicture(picture, adjustments);
    m_preview->clear();
    m_preview->setStyleSheet(QStringLiteral("color: palette(mid);"));
    m_preview->setText(wheel::Shown(wheel::kCellLoading));
}

void CSetCell::ShowPreview(const QString& picture, const wheel::PictureAdjustments& adjustments, const QImage& preview)
{
    ShowPicture(picture, adjustments);
    m_preview->setStyleSheet({});
    m_preview->setPixmap(QPixmap::fromImage(preview));
}

void CSetCell::ShowProblem(const QString& picture, const wheel::PictureAdjustments& adjustments, const QString& problem)
{
    ShowPicture(picture, adjustments);
    m_preview->clear();
    m_preview->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_preview->setText(problem);
}

void CSetCell::ShowOnWheel(const QImage& preview, const QString& toolTip)
{
    m_onWheel->setToolTip(toolTip);
    if (preview.isNull()) {
        m_onWheel->clear();
        m_onWheel->setText(wheel::Shown(wheel::kOnWheelUnknown));
    } else {
        m_onWheel->setPixmap(QPixmap::fromImage(preview));
    }
}

void CSetCell::ElideName()
{
    const int room = std::max(0, m_name->width());
    m_name->setText(m_name->fontMetrics().elidedText(m_strName, Qt::ElideMiddle, room));
}

void CSetCell::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    ElideName();
}

void CSetCell::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_bEditable && !LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CSetCell::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_bEditable && !LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CSetCell::dropEvent(QDropEvent* event)
{
    const QStringList paths = LocalFiles(event->mimeData());
    if (!m_bEditable || paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // After the drop has ended: the window may ask or tell something.
    QMetaObject::invokeMethod(this, [this, paths] { emit picturesDropped(m_nBox, paths); }, Qt::QueuedConnection);
}

void CSetCell::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(wheel::Shown(wheel::kChoosePictureMenuText), this, [this] { emit choosePicture(m_nBox); })
        ->setEnabled(m_bEditable);
    menu.addAction(wheel::Shown(wheel::kAdjustCellMenuText), this, [this] { emit adjust(m_nBox); })
        ->setEnabled(m_bEditable && m_bFilled);
    menu.addSeparator();
    menu.addAction(wheel::Shown(wheel::kClearCellMenuText), this, [this] { emit clear(m_nBox); })
        ->setEnabled(m_bEditable && m_bFilled);
    menu.exec(event->globalPos());
}
