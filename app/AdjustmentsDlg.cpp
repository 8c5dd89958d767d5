#include "app/AdjustmentsDlg.h"

#include "ui_adjustments.h"

#include <QShortcut>
#include <QSignalBlocker>

#include <algorithm>
#include <array>

namespace {

// The rotation list's entries, in order.
constexpr std::array<wheel::Rotation, 4> kRotations = {wheel::Rotation::Deg0, wheel::Rotation::Deg90,
                                                       wheel::Rotation::Deg180, wheel::Rotation::Deg270};

} // namespace

CAdjustmentsDlg::CAdjustmentsDlg(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::CAdjustmentsDlg>())
{
    ui->setupUi(this);
    // A tool window: it stays above its owner and leaves it usable.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(false);

    auto changed = [this] { Change(FromControls()); };
    connect(ui->comboRotate, &QComboBox::currentIndexChanged, this, changed);
    for (QRadioButton* choice : {ui->radStretch, ui->radFit, ui->radCrop, ui->radToneThreshold, ui->radToneDither,
                                 ui->radToneOutline})
        connect(choice, &QRadioButton::toggled, this, [changed](bool on) {
            if (on)
                changed();
        });
    connect(ui->chkAutoThreshold, &QCheckBox::toggled, this, changed);
    connect(ui->chkInvert, &QCheckBox::toggled, this, changed);
    // Moving the slider or typing a number makes the threshold manual.
    auto manual = [this](int value) {
        const QSignalBlocker a(ui->chkAutoThreshold), b(ui->sliderThreshold), c(ui->spinThreshold);
        ui->chkAutoThreshold->setChecked(false);
        ui->sliderThreshold->setValue(value);
        ui->spinThreshold->setValue(value);
        Change(FromControls());
    };
    connect(ui->sliderThreshold, &QSlider::valueChanged, this, manual);
    connect(ui->spinThreshold, &QSpinBox::valueChanged, this, manual);
    connect(ui->btnDefaults, &QPushButton::clicked, this, [this] { Change({}); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::close);
    // Escape closes it as any dialog; Ctrl+W as the desktop's windows.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this), &QShortcut::activated, this, &QDialog::close);

    ClearTarget();
}

CAdjustmentsDlg::~CAdjustmentsDlg() = default;

void CAdjustmentsDlg::SetTarget(const wheel::PictureAdjustments& current, int otsuThreshold, Apply apply)
{
    ++m_nTarget;
    m_current = current;
    m_nOtsuThreshold = otsuThreshold;
    m_apply = std::move(apply);
    Show(m_current);
}

void CAdjustmentsDlg::ClearTarget()
{
    ++m_nTarget;
    m_current = {};
    m_apply = nullptr;
    Show(m_current);
}

void CAdjustmentsDlg::SetEditable(bool editable)
{
    m_bEditable = editable;
    UpdateEnabled();
}

wheel::PictureAdjustments CAdjustmentsDlg::FromControls() const
{
    wheel::PictureAdjustments value;
    value.rotate = kRotations.at(static_cast<std::size_t>(std::max(0, ui->comboRotate->currentIndex())));
    if (ui->radFit->isChecked())
        value.fit = wheel::FitMode::Fit;
    else if (ui->radCrop->isChecked())
        value.fit = wheel::FitMode::Crop;
    if (ui->radToneDither->isChecked())
        value.tone = wheel::Tone::Dither;
    else if (ui->radToneOutline->isChecked())
        value.tone = wheel::Tone::Outline;
    if (!ui->chkAutoThreshold->isChecked())
        value.threshold = ui->sliderThreshold->value();
    value.invert = ui->chkInvert->isChecked();
    return value;
}

void CAdjustmentsDlg::Change(const wheel::PictureAdjustments& wanted)
{
    if (m_apply && wanted != m_current) {
        // The owner may give a new target while it applies this one (a
        // message box runs the event loop); the answer is then for the old one.
        const int target = m_nTarget;
        const Apply apply = m_apply;
        const bool applied = apply(wanted);
        if (target != m_nTarget)
            return;
        if (applied)
            m_current = wanted;
    }
    Show(m_current);
}

void CAdjustmentsDlg::Show(const wheel::PictureAdjustments& value)
{
    const QSignalBlocker blockers[] = {QSignalBlocker(ui->comboRotate),      QSignalBlocker(ui->radStretch),
                                       QSignalBlocker(ui->radFit),           QSignalBlocker(ui->radCrop),
                                       QSignalBlocker(ui->radToneThreshold), QSignalBlocker(ui->radToneDither),
                                       QSignalBlocker(ui->radToneOutline),   QSignalBlocker(ui->chkAutoThreshold),
                                       QSignalBlocker(ui->sliderThreshold),  QSignalBlocker(ui->spinThreshold),
                                       QSignalBlocker(ui->chkInvert)};
    const auto rotation = std::find(kRotations.begin(), kRotations.end(), value.rotate);
    ui->comboRotate->setCurrentIndex(static_cast<int>(rotation - kRotations.begin()));
    ui->radStretch->setChecked(value.fit == wheel::FitMode::Stretch);
    ui->radFit->setChecked(value.fit == wheel::FitMode::Fit);
    ui->radCrop->setChecked(value.fit == wheel::FitMode::Crop);
    ui->radToneThreshold->setChecked(value.tone == wheel::Tone::Threshold);
    ui->radToneDither->setChecked(value.tone == wheel::Tone::Dither);
    ui->radToneOutline->setChecked(value.tone == wheel::Tone::Outline);
    ui->chkAutoThreshold->setChecked(!value.threshold);
    const int threshold = value.threshold.value_or(m_nOtsuThreshold);
    ui->sliderThreshold->setValue(threshold);
    ui->spinThreshold->setValue(threshold);
    ui->chkInvert->setChecked(value.invert);
    ui->lblOtsuValue->setText(HasTarget() ? QString::number(m_nOtsuThreshold) : QStringLiteral("–"));
    UpdateEnabled();
}

void CAdjustmentsDlg::UpdateEnabled()
{
    const bool on = HasTarget() && m_bEditable;
    for (QWidget* control : {static_cast<QWidget*>(ui->lblRotate), static_cast<QWidget*>(ui->comboRotate),
                             static_cast<QWidget*>(ui->grpFit), static_cast<QWidget*>(ui->grpTone),
                             static_cast<QWidget*>(ui->chkInvert)})
        control->setEnabled(on);
    // A threshold only makes the two tones of 黑白.
    ui->grpThreshold->setEnabled(on && m_current.tone == wheel::Tone::Threshold);
    ui->btnDefaults->setEnabled(on && !m_current.IsDefault());
}
