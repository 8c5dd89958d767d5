#include "app/SetCell.h"

#include "app/SetTexts.h"
#include "dialogs/Contrast.h"
#include "texts/ShownText.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include <utility>

namespace {

// A preview drawn at `side` times the screen's pixel ratio, shown `side`
// pixels wide.
QPixmap AtScreenPixels(const QImage& image, int side)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(std::max<qreal>(1.0, static_cast<qreal>(image.width()) / side));
    return pixmap;
}

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
    // A cell is a control of its own: it takes the focus, by Tab or a click.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleDescription(wheel::Shown(wheel::kCellAccessibleDescription));

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
    m_preview->setAccessibleName(wheel::Shown(wheel::kCellPreviewName));

    m_onWheelLabel = new QLabel(wheel::Shown(wheel::kOnWheelText), this);
    m_onWheelLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    m_onWheel = new QLabel(this);
    m_onWheel->setObjectName(QStringLiteral("onWheel"));
    m_onWheel->setFixedSize(kOnWheelSide, kOnWheelSide);
    m_onWheel->setAlignment(Qt::AlignCenter);
    m_onWheel->setWordWrap(true);
    m_onWheel->setAccessibleName(wheel::Shown(wheel::kOnWheelPreviewName));

    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_adjustments = new QLabel(this);
    m_adjustments->setObjectName(QStringLiteral("adjustments"));
    m_adjustments->setWordWrap(true);
    m_adjustments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(2);
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(m_preview, 1, 0, 2, 1);
    layout->addWidget(m_onWheelLabel, 1, 1);
    layout->addWidget(m_onWheel, 2, 1, Qt::AlignTop);
    layout->addWidget(m_name, 3, 0, 1, 2);
    layout->addWidget(m_adjustments, 4, 0, 1, 2);
    FitToFont();

    ShowEmpty();
    ShowOnWheel({}, {}, {});
}

void CSetCell::FitToFont()
{
    // Two lines of adjustments, so that the cells of a row line up whatever
    // they hold; the column of what the wheel holds as wide as its heading.
    m_adjustments->setFixedHeight(2 * m_adjustments->fontMetrics().lineSpacing());
    const int unknown = m_onWheel->fontMetrics().horizontalAdvance(wheel::Shown(wheel::kOnWheelUnknown)) + 4;
    const int onWheel = std::max({kOnWheelSide, m_onWheelLabel->sizeHint().width(), unknown});
    m_onWheel->setFixedSize(std::max(kOnWheelSide, unknown), kOnWheelSide);
    setFixedWidth(kPreviewSide + onWheel + 6 + 12 + 2 * frameWidth() + 8);
    ElideName();
}

void CSetCell::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitToFont();
    else if (event->type() == QEvent::PaletteChange)
        SetPreviewTone(m_tone);
}

void CSetCell::SetPreviewTone(Tone tone)
{
    // From the palette in force, light or dark, and readable on the cell's
    // background (4.5:1): a muted text and a red for problems.
    m_tone = tone;
    const QPalette& own = palette();
    const QColor background = own.color(QPalette::Window);
    QColor text = own.color(QPalette::WindowText);
    if (tone == Tone::Muted)
        text = wheel::ReadableOn(own.color(QPalette::PlaceholderText), background);
    else if (tone == Tone::Problem)
        text = wheel::ReadableOn(QColor(0xb0, 0x00, 0x20), background);
    QPalette shown = m_preview->palette();
    shown.setColor(QPalette::WindowText, text);
    m_preview->setPalette(shown);
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
    SetPreviewTone(Tone::Plain);
    m_preview->setText(wheel::Shown(wheel::kCellEmpty));
    m_strName = wheel::Shown(wheel::kCellDropHint);
    m_name->setToolTip({});
    ElideName();
    m_adjustments->clear();
    m_strPicture.clear();
    UpdateAccessibleName();
}

void CSetCell::ShowPicture(const QString& picture, const wheel::PictureAdjustments& adjustments)
{
    m_bFilled = true;
    m_strName = QFileInfo(picture).fileName();
    m_name->setToolTip(picture);
    ElideName();
    m_adjustments->setText(AdjustmentsText(adjustments));
    m_strPicture = m_strName;
    UpdateAccessibleName();
}

void CSetCell::ShowLoading(const QString& picture, const wheel::PictureAdjustments& adjustments)
{
    ShowPicture(picture, adjustments);
    m_preview->clear();
    SetPreviewTone(Tone::Muted);
    m_preview->setText(wheel::Shown(wheel::kCellLoading));
}

void CSetCell::ShowPreview(const QString& picture, const wheel::PictureAdjustments& adjustments, const QImage& preview)
{
    ShowPicture(picture, adjustments);
    SetPreviewTone(Tone::Plain);
    m_preview->setPixmap(AtScreenPixels(preview, kPreviewSide));
}

void CSetCell::ShowProblem(const QString& picture, const wheel::PictureAdjustments& adjustments, const QString& problem)
{
    ShowPicture(picture, adjustments);
    m_preview->clear();
    SetPreviewTone(Tone::Problem);
    // The reasons are made to follow a colon ("…: the file does not
    // exist"); alone in a cell they start a sentence.
    QString sentence = problem;
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toUpper();
    m_preview->setText(sentence);
}

void CSetCell::ShowOnWheel(const QImage& preview, const QString& name, const QString& toolTip)
{
    m_onWheel->setToolTip(toolTip);
    m_onWheel->setAccessibleDescription(toolTip);
    m_strOnWheel = name;
    if (preview.isNull()) {
        m_onWheel->clear();
        m_onWheel->setText(wheel::Shown(wheel::kOnWheelUnknown));
    } else {
        m_onWheel->setPixmap(AtScreenPixels(preview, kOnWheelSide));
    }
    UpdateAccessibleName();
}

void CSetCell::UpdateAccessibleName()
{
    // "第3幅：sunrise.jpg，轮上：未知"; the pattern is translated alone, so
    // that the file names stay whole.
    setAccessibleName(wheel::Shown(wheel::kCellAccessibleName)
                          .arg(QString::number(m_nBox),
                               m_strPicture.isEmpty() ? wheel::Shown(wheel::kCellEmpty) : m_strPicture,
                               m_strOnWheel.isEmpty() ? wheel::Shown(wheel::kOnWheelUnknown) : m_strOnWheel));
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

void CSetCell::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!plain)
            break;
        emit stepFocus(m_nBox, event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0,
                       event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!plain)
            break;
        if (m_bEditable)
            emit choosePicture(m_nBox);
        return;
    case Qt::Key_Delete:
        if (!plain)
            break;
        if (m_bEditable && m_bFilled)
            emit clear(m_nBox);
        return;
    case Qt::Key_Menu:
        // X11 turns the key into a context menu event of its own first.
        if (std::exchange(m_bKeyboardMenuShown, false))
            return;
        OpenMenu(mapToGlobal(rect().center()));
        return;
    case Qt::Key_F10:
        if (event->modifiers() != Qt::ShiftModifier)
            break;
        OpenMenu(mapToGlobal(rect().center()));
        return;
    default:
        break;
    }
    QFrame::keyPressEvent(event);
}

void CSetCell::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
}

void CSetCell::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    update();
}

void CSetCell::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    // The focus, as a frame in the palette's highlight inside the panel.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void CSetCell::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Keyboard) {
        m_bKeyboardMenuShown = true;
        OpenMenu(mapToGlobal(rect().center()));
        return;
    }
    OpenMenu(event->globalPos());
}

void CSetCell::OpenMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(wheel::Shown(wheel::kChoosePictureMenuText), this, [this] { emit choosePicture(m_nBox); })
        ->setEnabled(m_bEditable);
    menu.addAction(wheel::Shown(wheel::kAdjustCellMenuText), this, [this] { emit adjust(m_nBox); })
        ->setEnabled(m_bEditable && m_bFilled);
    menu.addSeparator();
    menu.addAction(wheel::Shown(wheel::kClearCellMenuText), this, [this] { emit clear(m_nBox); })
        ->setEnabled(m_bEditable && m_bFilled);
    menu.exec(at);
}
