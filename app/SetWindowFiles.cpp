// The set window's files: 新建, 打开…, 保存, 另存为…, the title, and the
// question about unsaved changes before anything would drop them.

#include "app/SetWindow.h"

#include "app/AppTexts.h"
#include "app/SetTexts.h"
#include "dialogs/Dialogs.h"
#include "sets/SetFile.h"
#include "texts/ShownText.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>

void CSetWindow::UpdateTitle()
{
    const QString name = m_doc.Path().isEmpty() ? wheel::Shown(wheel::kUntitledSet) : QFileInfo(m_doc.Path()).fileName();
    // The pattern is translated alone, so that the file name stays whole.
    setWindowTitle(wheel::Shown(wheel::kSetWindowTitle).arg(name + (m_doc.Modified() ? QStringLiteral("*") : QString())));
}

bool CSetWindow::MaybeSave()
{
    if (!m_doc.Modified())
        return true;
    const QString name = m_doc.Path().isEmpty() ? wheel::Shown(wheel::kUntitledSet) : QFileInfo(m_doc.Path()).fileName();
    raise();
    switch (wheel::QuestionBox::Ask(this, QString::fromUtf8(wheel::kUnsavedQuestion).arg(name),
                                    QString::fromUtf8(wheel::kCaptionHint),
                                    {QString::fromUtf8(wheel::kSaveButton), QString::fromUtf8(wheel::kDiscardButton),
                                     QString::fromUtf8(wheel::kCancelButton)})) {
    case 0:
        return OnSave();
    case 1:
        return true;
    default:
        return false;
    }
}

void CSetWindow::OnNew()
{
    if (m_bBusy || !MaybeSave())
        return;
    m_doc.New();
    m_strSaved.clear();
    RenderAll();
}

void CSetWindow::OnOpen()
{
    if (m_bBusy || !MaybeSave())
        return;
    const QString path = wheel::FileDialog::GetOpenFileName(this, QString::fromUtf8(wheel::kOpenSetCaption),
                                                            {QString::fromUtf8(wheel::kSetFilter)});
    if (!path.isEmpty())
        LoadSet(path);
}

bool CSetWindow::OpenSetFile(const QString& path)
{
    if (m_bBusy || !MaybeSave())
        return false;
    return LoadSet(path);
}

bool CSetWindow::LoadSet(const QString& path)
{
    wheel::SetFileError error;
    if (!m_doc.Open(path, &error)) {
        Tell(wheel::SetFileErrorText(path, error));
        return false;
    }
    m_strSaved.clear();
    RenderAll();
    return true;
}

bool CSetWindow::OnSave()
{
    if (m_doc.Path().isEmpty())
        return OnSaveAs();
    wheel::SetFileError error;
    if (!m_doc.Save(m_doc.Path(), &error)) {
        Tell(wheel::SetFileErrorText(m_doc.Path(), error));
        return false;
    }
    UpdateTitle();
    return true;
}

bool CSetWindow::OnSaveAs()
{
    // Beside the set's file, else beside its first picture, else at home.
    QString suggested = m_doc.Path();
    if (suggested.isEmpty()) {
        QString folder = QDir::homePath();
        for (const auto& cell : m_doc.Set().cells)
            if (cell) {
                folder = QFileInfo(cell->picture).absolutePath();
                break;
            }
        suggested = QDir(folder).filePath(wheel::Shown(wheel::kUntitledSet) + QStringLiteral(".wheelset"));
    }
    const QString path = wheel::FileDialog::GetSaveFileName(this, QString::fromUtf8(wheel::kSaveSetCaption),
                                                            {QString::fromUtf8(wheel::kSetFilter)}, suggested);
    if (path.isEmpty())
        return false;
    wheel::SetFileError error;
    if (!m_doc.Save(path, &error)) {
        Tell(wheel::SetFileErrorText(path, error));
        return false;
    }
    UpdateTitle();
    return true;
}

void CSetWindow::closeEvent(QCloseEvent* event)
{
    if (!MaybeSave()) {
        event->ignore();
        return;
    }
    m_loader->Cancel();
    event->accept();
    emit closed();
}
