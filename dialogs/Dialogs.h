#pragma once
// Modal dialogs behind small wrappers, so that tests can answer them. Nothing
// else in the program calls QMessageBox, QFileDialog or QFontDialog directly.

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace wheel {

// An OK-only message box without an icon. Text and caption are given in
// Chinese and shown (and recorded) in the installed language (TranslateShown).
class MessageBox {
public:
    struct Shown {
        QString text;
        QString caption;
    };
    static void Show(QWidget* parent, const QString& text, const QString& caption);

    // Test hook: while recording, boxes are recorded instead of shown.
    static void StartRecording();
    static void StopRecording();
    static std::vector<Shown> Recorded();
    static void ClearRecorded();
};

// A question with buttons of its own, without an icon. Texts are given in
// Chinese and shown in the installed language, like a message box's. The
// first button is the default; the last one is the cancel (Escape and the
// window's close button choose it).
class QuestionBox {
public:
    // The index of the button chosen. `accessibleName` (given in Chinese,
    // shown translated) names the question for screen readers; the caption
    // does when it is empty.
    static int Ask(QWidget* parent, const QString& text, const QString& caption, const QStringList& buttons,
                   const QString& accessibleName = {});

    // Test hook: while message boxes are recorded, questions are recorded
    // too (their text and caption, in MessageBox::Recorded() order) and
    // answered with the index set here for the next one, or else the last
    // button (a negative index takes back an answer not used).
    static void SetNextAnswer(int index);
};

class FileDialog {
public:
    // The chosen path, or an empty string when the user cancelled. Caption and
    // filters are translated like message box texts.
    static QString GetOpenFileName(QWidget* parent, const QString& caption, const QStringList& filters);

    // The path to write, or an empty string when the user cancelled. The
    // dialog starts at `suggested` (a folder and a file name), asks before
    // replacing a file, and adds the first filter's extension to a name
    // typed without one.
    static QString GetSaveFileName(QWidget* parent, const QString& caption, const QStringList& filters,
                                   const QString& suggested);

    // Test hook: the next call (open or save) returns this instead of
    // showing a dialog (an empty string answers as a cancel).
    static void SetNextFileName(const QString& path);
};

class FontDialog {
public:
    // The chosen font, or nothing when the user cancelled.
    static std::optional<QFont> GetFont(QWidget* parent, const QFont& initial);

    // Test hook: the next call returns this (nothing answers as a cancel).
    static void SetNextFont(const std::optional<QFont>& font);
    // Test hook: the next call returns what `answer` makes of the font the
    // dialog would have opened with.
    static void SetNextAnswer(std::function<std::optional<QFont>(const QFont& initial)> answer);
};

} // namespace wheel
