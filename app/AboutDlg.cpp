#include "app/AboutDlg.h"

#include "dialogs/Fonts.h"
#include "dialogs/TemplateLayout.h"

#include "ui_about.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::CAboutDlg>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    new wheel::CTemplateLayout(this, wheel::DefaultUiFont());
}

CAboutDlg::~CAboutDlg() = default;
