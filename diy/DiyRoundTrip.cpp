#include "diy/DiyRoundTrip.h"

#include "diy/DiyDlg.h"
#include "dialogs/Dialogs.h"
#include "texts/AppTitle.h"

namespace wheel {

void RunDiyRoundTrip(QWidget* parent, const QString& path)
{
    QString error;
    if (!WriteDiyTemplate(path, &error)) {
        MessageBox::Show(parent, error, QString::fromUtf8(kApplicationTitle));
        return;
    }
    CDiyDlg dialog(parent);
    dialog.SetPath(path);
    dialog.DoModal();
}

} // namespace wheel
