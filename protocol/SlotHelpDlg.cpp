#include "protocol/SlotHelpDlg.h"

#include "ui_SlotHelpDlg.h"

CSlotHelpDlg::CSlotHelpDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CSlotHelpDlg>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

CSlotHelpDlg::~CSlotHelpDlg() = default;
