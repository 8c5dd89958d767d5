#include "app/AboutDlg.h"

#include "ui_about.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::CAboutDlg>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
}

CAboutDlg::~CAboutDlg() = default;
