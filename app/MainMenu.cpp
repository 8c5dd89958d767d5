#include "app/MainMenu.h"

#include "app/AppTexts.h"
#include "app/RecentPictures.h"
#include "texts/ShownText.h"

#include <QDir>
#include <QEvent>
#include <QMenu>

namespace {

// A menu entry for a path: numbered for the keyboard, the path's middle
// elided when it is long, and an '&' in it shown as itself.
QString RecentEntryText(int number, const QString& path, const QFontMetrics& metrics)
{
    QString shown = metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, 480);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(number).arg(shown);
}

} // namespace

CMainMenu::CMainMenu(QWidget* parent)
    : QMenuBar(parent)
{
    setObjectName(QStringLiteral("mainMenu"));
    setAccessibleName(wheel::Shown(wheel::kMainMenuName));

    m_fileMenu = addMenu(wheel::Shown(wheel::kFileMenuText));
    m_openPicture = m_fileMenu->addAction(wheel::Shown(wheel::kOpenPictureMenuText));
    m_openPicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_lastOpenAction = m_openPicture;
    m_recentMenu = m_fileMenu->addMenu(wheel::Shown(wheel::kRecentMenuText));
    m_recentMenu->setObjectName(QStringLiteral("recentMenu"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CMainMenu::FillRecentMenu);
    FillRecentMenu();
    m_fileMenu->addSeparator();
    m_exportPreview = m_fileMenu->addAction(wheel::Shown(wheel::kExportPreviewMenuText));
    m_fileMenu->addSeparator();
    m_quit = m_fileMenu->addAction(wheel::Shown(wheel::kQuitMenuText));
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* picture = addMenu(wheel::Shown(wheel::kPictureMenuText));
    m_adjustments = picture->addAction(wheel::Shown(wheel::kAdjustmentsMenuText));
    m_adjustments->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_resetAdjustments = picture->addAction(wheel::Shown(wheel::kResetAdjustmentsMenuText));
    picture->addSeparator();
    m_showLeds = picture->addAction(wheel::Shown(wheel::kShowLedsMenuText));
    m_showLeds->setObjectName(QStringLiteral("showLedsAction"));
    m_showLeds->setCheckable(true);
    picture->addSeparator();
    m_diy = picture->addAction(wheel::Shown(wheel::kDiyMenuText));

    QMenu* device = addMenu(wheel::Shown(wheel::kDeviceMenuText));
    m_download = device->addAction(wheel::Shown(wheel::kDownloadMenuText));
    m_calibrate = device->addAction(wheel::Shown(wheel::kCalibrateMenuText));
    device->addSeparator();
    m_factoryReset = device->addAction(wheel::Shown(wheel::kFactoryResetMenuText));

    QMenu* help = addMenu(wheel::Shown(wheel::kHelpMenuText));
    m_about = help->addAction(wheel::Shown(wheel::kAboutHelpMenuText));
    m_about->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    m_makerPage = help->addAction(wheel::Shown(wheel::kMakerPageMenuText));
    m_shopPage = help->addAction(wheel::Shown(wheel::kShopPageMenuText));
}

QAction* CMainMenu::AddOpenAction(const QString& text, const QKeySequence& shortcut)
{
    const QList<QAction*> actions = m_fileMenu->actions();
    const qsizetype last = actions.indexOf(m_lastOpenAction);
    auto* action = new QAction(text, m_fileMenu);
    action->setShortcut(shortcut);
    m_fileMenu->insertAction(actions.value(last + 1), action);
    m_lastOpenAction = action;
    return action;
}

void CMainMenu::FillRecentMenu()
{
    m_recentMenu->clear();
    const QStringList paths = wheel::RecentPictures();
    int number = 0;
    for (const QString& path : paths) {
        QAction* entry = m_recentMenu->addAction(RecentEntryText(++number, path, m_recentMenu->fontMetrics()));
        entry->setToolTip(path);
        connect(entry, &QAction::triggered, this, [this, path] { emit RecentPictureChosen(path); });
    }
    if (paths.isEmpty()) {
        m_recentMenu->addAction(wheel::Shown(wheel::kNoRecentMenuText))->setEnabled(false);
        return;
    }
    m_recentMenu->addSeparator();
    connect(m_recentMenu->addAction(wheel::Shown(wheel::kClearRecentMenuText)), &QAction::triggered, this,
            [] { wheel::SetRecentPictures({}); });
}
