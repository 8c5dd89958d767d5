#pragma once
// The editor's main window: the controls of the main dialog template, the
// picture and its round preview, the message log and the data exchange of its
// check boxes, radio buttons and angle field.

#include "app/AppOptions.h"
#include "app/DataExchange.h"
#include "picture/WheelPicture.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

class CAdjustmentsDlg;
class CMainMenu;
class CPictureArea;
class CSetWindow;
class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QTime;
class QTimer;
class WheelDlgDevice;

namespace wheel {
struct ProtocolInputs;
struct SlotNames;
struct SlotPicture;
}

namespace Ui {
class CWheelDlg;
}

class CWheelDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWheelDlg(const wheel::AppOptions& options = {}, QWidget* parent = nullptr);
    ~CWheelDlg() override;

    const wheel::AppOptions& Options() const { return m_options; }

    // Appends one line to the message log: text, then " (HH:MM:SS)" when
    // withTime is 1, then "\r\n" when withNewline is 1. Callable from any
    // thread: lines from other threads are handed to the window's thread, so
    // no two appends interleave. The time is taken when the call is made.
    // The text, given in Chinese, is shown in the installed language.
    void AppendLog(const QString& text, int withTime = 1, int withNewline = 1);
    void AppendLog(const char* text, int withTime = 1, int withNewline = 1);
    // The same for a line made earlier, at madeAt, that waited in a queue (the
    // device's lines wait while a message box is open): stamped with madeAt.
    void AppendLog(const QString& text, const QTime& madeAt, int withTime, int withNewline);

    // Reads the controls into the members (true) or writes the members into
    // the controls (false). Reading prompts "请键入一个整数。" and returns
    // false when the angle field does not hold an integer.
    bool UpdateData(bool saveAndValidate = true);

    // Loads a picture file, shows it and renders its preview and frame. A file
    // that cannot be loaded is named in a message box and changes nothing.
    void LoadPicture(QString path);

    // The files named on the command line or by the file manager, relative to
    // the working folder: the first opens (a picture here, a picture set in
    // the set window); the others are named in one refusal.
    void OpenFiles(const QStringList& paths);
    // Opens a picture set file (.wheelset) in the set window. A refused file
    // is named in a message with the reason; the windows stay as they were.
    void OpenSetFile(const QString& path);

    // The picture-set window ("图片组…"): shown and raised, made first if
    // need be. Null while it is not open.
    CSetWindow* OpenSetWindow();
    CSetWindow* SetWindow() const;

    // Renders the preview and the frame of the loaded picture once.
    void RenderWheel();

    // Repaints both picture areas from the images the window holds.
    void OnPaint();
    // What the preview area shows: the round preview, or with 按LED显示 the
    // frame as the wheel's LEDs. Empty before a picture is rendered.
    cv::Mat ShownPreview() const;

    // What the device protocol does to the window (applied in order by
    // WheelDlgDevice on the window's thread).
    void ReplaceLogText(const QString& text);     // the whole log and m_strLog
    void ShowProgress(int percent);               // bar and "下载进度:" text
    void EnableOperationButtons(bool enable);     // "打开图片", "下载-->GO", "恢复出厂设置"
    void SetAllSlotBoxes(bool ticked);            // m_slotChecks and the twenty boxes
    void Set48Mode(bool ticked);                  // m_b48Mode and "48图模式"

    // The menu bar, for windows that add their own entries to it.
    CMainMenu* MenuBar() const { return m_menu; }

    // The wheel light's side of the window: the operation state the other
    // windows follow, the downloads of picture sets, the record.
    WheelDlgDevice* Device() const { return m_device.get(); }

    const wheel::WheelPicture& Picture() const { return m_picture; }
    wheel::WheelPicture& Picture() { return m_picture; }

    // Members exchanged with the controls and the window's state flags; the
    // other parts of the program read and set them.
    QString m_strPicturePath;
    QString m_strDiyPicturePath;
    QString m_strLog;
    std::array<int, wheel::kSlotCount> m_slotChecks{};
    int m_b48Mode = 0;
    int m_nAngle = 0;
    int m_nDirection = 1;
    int m_bPreviewDone = 0;
    int m_bPictureLoaded = 0;
    int m_bConnected = 0;

public slots:
    void ClearLog();

private slots:
    void OnOpenPicture();
    void OnTimer();
    void OnAbout();
    void OnMakerPage();
    void OnShopPage();

    // The menu bar's own entries and the adjustments window.
    void OnOpenRecent(const QString& path);
    void OnExportPreview();
    void OnAdjustments();
    void OnResetAdjustments();
    void OnShowLeds(bool on);

    // Handlers of the device, slot and DIY controls.
    void OnDownload();
    void OnFactoryReset();
    void OnCalibrate();
    void OnSelectAll();
    void OnDeselectAll();
    void OnSelectionHelp();
    void OnDiy();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void OnShowWindow(bool show);
    void OnClose();

    // Device start-up on the first show (link, worker threads, hot-plug
    // watch) and shut-down on close hook in here.
    void StartDeviceLink();
    void StopDeviceLink();

    wheel::ProtocolInputs ProtocolInputsFromMembers() const;
    void AfterDeviceHandler();

    // The template's controls go into a client area under the menu bar.
    void BuildMenuBar();
    // The state of what the menu and the adjustments window offer: a
    // picture, whether it can be adjusted, and whether a download runs.
    void UpdatePictureActions();
    // Gives the adjustments window the picture on show, if it is open.
    void ShowAdjustmentsTarget();
    bool ApplyAdjustments(const wheel::PictureAdjustments& wanted);

    CSetWindow* MakeSetWindow();
    bool LoadPictureFile(const QString& path);
    // A picture chosen by the user, in the dialog or by dropping it.
    bool OpenPictureFile(const QString& path);
    void AppendLogLine(const QString& line);
    wheel::ControlState ReadControlState() const;
    void ApplyControlState(const wheel::ControlState& state);

    std::unique_ptr<Ui::CWheelDlg> ui;
    // The bound controls, under the names the handlers use.
    QProgressBar* m_progress = nullptr;
    QPlainTextEdit* m_editLog = nullptr;
    CPictureArea* m_staticOriginal = nullptr;
    CPictureArea* m_staticPreview = nullptr;
    wheel::AppOptions m_options;
    wheel::WheelPicture m_picture;
    std::array<QCheckBox*, wheel::kSlotCount> m_slotBoxes{};  // in exchange order
    QTimer* m_timer = nullptr;
    CMainMenu* m_menu = nullptr;
    CAdjustmentsDlg* m_adjustments = nullptr;   // made when first asked for
    QPointer<CSetWindow> m_setWindow;           // deletes itself when closed
    QString m_strShownPicturePath;   // the file of the picture on show, DIY drawings too
    bool m_bShowLeds = false;        // 按LED显示
    bool m_bStarted = false;   // the first show's start-up has run
    std::unique_ptr<WheelDlgDevice> m_device;  // last: goes first, threads stopped
};
