// The main window's picture: opened from the dialog, the recent pictures, a
// drop, the command line or the DIY dialog, and loaded on a thread of its
// own. The window stays responsive meanwhile, with a busy cursor; a newer
// load supersedes an older one, and closing the window leaves a load behind
// without waiting for it.

#include "app/WheelDlg.h"

#include "app/AppTexts.h"
#include "app/PictureArea.h"
#include "app/PictureFilters.h"
#include "app/RecentPictures.h"
#include "dialogs/Dialogs.h"
#include "io/LocalPath.h"
#include "picture/PictureLoader.h"

#include <QFileInfo>
#include <QGuiApplication>

void CWheelDlg::OnOpenPicture()
{
    const QStringList filters = wheel::PictureFileFilters();
    const QString path = wheel::FileDialog::GetOpenFileName(this, QString::fromUtf8(wheel::kOpenDialogCaption), filters);
    if (path.isEmpty())
        return;
    OpenPictureFile(path);
}

void CWheelDlg::OpenPictureFile(const QString& path, std::function<void()> refused)
{
    // The path names the picture on show, so a file that fails to load
    // leaves the previous path with the previous picture.
    StartPictureLoad(path, [this, path, refused = std::move(refused)](bool loaded) {
        if (!loaded) {
            if (refused)
                refused();
            return;
        }
        m_strPicturePath = path;
        wheel::AddRecentPicture(QFileInfo(path).absoluteFilePath());
    });
}

void CWheelDlg::OnOpenRecent(const QString& path)
{
    // Refused with the usual message; a file that is gone leaves the list.
    OpenPictureFile(path, [path] {
        if (!QFileInfo::exists(path))
            wheel::RemoveRecentPicture(path);
    });
}

void CWheelDlg::LoadPicture(QString path)
{
    StartPictureLoad(path, {});
}

bool CWheelDlg::PictureLoading() const
{
    return m_bBusyCursor;
}

void CWheelDlg::StartPictureLoad(const QString& path, std::function<void(bool loaded)> then)
{
    if (!m_loader)
        m_loader = std::make_unique<wheel::PictureLoader>();
    // The full-size grey picture stays, so that the picture can be adjusted.
    wheel::LoadOptions options;
    options.keepGray = true;
    if (!m_bBusyCursor) {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        m_bBusyCursor = true;
    }
    m_nPictureLoad = m_loader->Load(
        wheel::LocalPath(path), options,
        [this, path, then = std::move(then)](std::uint64_t generation, const wheel::LoadResult& result) {
            // On the loader's thread: the window takes it on its own, unless
            // a newer load or the window's end came first.
            QMetaObject::invokeMethod(
                this,
                [this, path, then, generation, result] {
                    if (generation != m_nPictureLoad)
                        return;
                    EndPictureLoad();
                    const bool loaded = ShowLoadedPicture(path, result);
                    if (then)
                        then(loaded);
                },
                Qt::QueuedConnection);
        });
}

void CWheelDlg::CancelPictureLoad()
{
    if (m_loader)
        m_loader->Cancel();
    ++m_nPictureLoad;
    EndPictureLoad();
}

void CWheelDlg::EndPictureLoad()
{
    if (m_bBusyCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_bBusyCursor = false;
    }
    emit pictureLoadEnded();
}

bool CWheelDlg::ShowLoadedPicture(const QString& path, wheel::LoadResult result)
{
    if (!result) {
        wheel::MessageBox::Show(this,
                                QStringLiteral("无法打开图片“%1”：%2")
                                    .arg(path, QString::fromStdString(wheel::LoadErrorText(result.error))),
                                QString::fromUtf8(wheel::kCaptionHint));
        return false;
    }
    m_picture.SetPicture(std::move(result.picture));
    m_strShownPicturePath = path;
    DrawImageToControl(m_picture.Shown(), m_staticOriginal);
    m_bPreviewDone = 0;
    m_bPictureLoaded = 1;
    RenderWheel();
    ShowAdjustmentsTarget();
    UpdatePictureActions();
    return true;
}
