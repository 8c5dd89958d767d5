#include "protocol/SlotHelpDlg.h"

#include "dialogs/Fonts.h"
#include "dialogs/TemplateLayout.h"

#include "ui_SlotHelpDlg.h"

CSlotHelpDlg::CSlotHelpDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CSlotHelpDlg>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    new wheel::CTemplateLayout(this, wheel::DefaultUiFont());
}

CSlotHelpDlg::~CSlotHelpDlg() = default;
