#pragma once
// The main window's menu bar: 文件, 图片, 设备 and 帮助. It owns the actions and
// the 最近打开 list; the window connects the actions to its handlers and says
// when they are enabled.
//
// Another opener (a picture set, say) goes into the 文件 menu with
// AddOpenAction, after 打开图片… and whatever was added before it.

#include <QMenuBar>

#include <functional>

class QAction;
class QMenu;

class CMainMenu : public QMenuBar {
    Q_OBJECT
public:
    explicit CMainMenu(QWidget* parent = nullptr);

    QMenu* FileMenu() const { return m_fileMenu; }
    QAction* AddOpenAction(const QString& text, const QKeySequence& shortcut = {});

    // 文件
    QAction* OpenPicture() const { return m_openPicture; }
    QMenu* RecentMenu() const { return m_recentMenu; }
    QAction* ExportPreview() const { return m_exportPreview; }
    QAction* Quit() const { return m_quit; }
    // 图片
    QAction* Adjustments() const { return m_adjustments; }
    QAction* ResetAdjustments() const { return m_resetAdjustments; }
    QAction* Diy() const { return m_diy; }
    // Checkable: the preview shows the wheel's LEDs.
    QAction* ShowLeds() const { return m_showLeds; }
    // 设备
    QAction* Download() const { return m_download; }
    QAction* Calibrate() const { return m_calibrate; }
    QAction* FactoryReset() const { return m_factoryReset; }
    // 帮助
    QAction* About() const { return m_about; }
    QAction* MakerPage() const { return m_makerPage; }
    QAction* ShopPage() const { return m_shopPage; }

signals:
    // A picture of the 最近打开 list was chosen; whether it still opens is for
    // the window to find out (RemoveRecentPicture when it is gone).
    void RecentPictureChosen(const QString& path);

private:
    void FillRecentMenu();

    QMenu* m_fileMenu = nullptr;
    QAction* m_openPicture = nullptr;
    QAction* m_lastOpenAction = nullptr;
    QMenu* m_recentMenu = nullptr;
    QAction* m_exportPreview = nullptr;
    QAction* m_quit = nullptr;
    QAction* m_adjustments = nullptr;
    QAction* m_resetAdjustments = nullptr;
    QAction* m_diy = nullptr;
    QAction* m_showLeds = nullptr;
    QAction* m_download = nullptr;
    QAction* m_calibrate = nullptr;
    QAction* m_factoryReset = nullptr;
    QAction* m_about = nullptr;
    QAction* m_makerPage = nullptr;
    QAction* m_shopPage = nullptr;
};
