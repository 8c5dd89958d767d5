#pragma once
// Dropping a picture file on the main window opens it as the open button
// does: only while that button is enabled (a download disables it), one local
// file at a time. Whether the file is a picture is for the open path to say,
// with the same message as for a file chosen in the dialog.

#include <QObject>
#include <QString>

#include <functional>

class QAbstractButton;
class QMimeData;
class QWidget;

namespace wheel {

class CPictureDrop : public QObject {
    Q_OBJECT
public:
    // open is called from the event loop after the drop has ended, never
    // from inside the drop (it may show a modal message box).
    CPictureDrop(QWidget* window, QAbstractButton* openButton, std::function<void(const QString&)> open);

    // Takes file drops on this widget too, before it handles them itself as
    // text (the log and the angle field would paste the file's name).
    void Watch(QWidget* widget);

    // The local file a drag carries, or an empty string when it carries none,
    // several, or something other than files.
    static QString DroppedFile(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* m_openButton;
    std::function<void(const QString&)> m_open;
};

} // namespace wheel
