#pragma once
// What the editor's windows need of the wheel light besides the main window's
// own controls: whether an operation runs (one state, told by a signal when
// it changes), a download of several pictures with its progress, and the
// record of what the wheel light holds. The set window depends on this, not
// on the main window.

#include <QObject>
#include <QString>

#include <vector>

namespace wheel {
struct SlotNames;
struct SlotPicture;
}

class CDeviceOperations : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // A download of any kind or a calibration runs, or its last effects (the
    // closing message box) are still being shown. Window's thread only.
    virtual bool OperationRunning() const = 0;

    // Each block into its slot as one download, refused, shown and ended as
    // "下载-->GO" is; the record names the slots by `names`. True when it
    // started.
    virtual bool DownloadPictures(const std::vector<wheel::SlotPicture>& pictures, const wheel::SlotNames& names) = 0;

    // The record of what the wheel light holds (wheel::ReadRecord reads it).
    virtual QString RecordPath() const = 0;

signals:
    // OperationRunning() changed.
    void operationChanged(bool running);
    // The progress of the running download, as the main window shows it.
    void progressShown(int percent);
    // The record was written anew.
    void recordChanged();
};
