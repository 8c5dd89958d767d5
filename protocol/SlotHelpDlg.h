#pragma once
// "下载位置说明": the help box of the slot boxes, opened by "选择说明".
// 162 x 106 dialog units in the "System" font, 2 pixels per unit.

#include <QDialog>

#include <memory>

namespace Ui {
class CSlotHelpDlg;
}

class CSlotHelpDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSlotHelpDlg(QWidget* parent = nullptr);
    ~CSlotHelpDlg() override;

private:
    std::unique_ptr<Ui::CSlotHelpDlg> m_ui;
};
