#include "dialogs/Dialogs.h"

#include "texts/ShownText.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

#include <mutex>
#include <utility>

namespace wheel {

namespace {

std::mutex g_hookMutex;
bool g_recording = false;
std::vector<MessageBox::Shown> g_recorded;
std::optional<int> g_nextAnswer;
std::optional<QString> g_nextFileName;
std::function<std::optional<QFont>(const QFont&)> g_nextFont;

// The answer a test has set for the next file dialog, used once.
std::optional<QString> TakeNextFileName()
{
    std::lock_guard lock(g_hookMutex);
    std::optional<QString> path = std::move(g_nextFileName);
    g_nextFileName.reset();
    return path;
}

QStringList ShownFilters(const QStringList& filters)
{
    QStringList shown;
    for (const QString& filter : filters)
        shown << TranslateShown(filter);
    return shown;
}

} // namespace

void MessageBox::Show(QWidget* parent, const QString& shownText, const QString& shownCaption)
{
    const QString text = TranslateShown(shownText);
    const QString caption = TranslateShown(shownCaption);
    {
        std::lock_guard lock(g_hookMutex);
        if (g_recording) {
            g_recorded.push_back({text, caption});
            return;
        }
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void MessageBox::StartRecording()
{
    std::lock_guard lock(g_hookMutex);
    g_recording = true;
    g_recorded.clear();
}

void MessageBox::StopRecording()
{
    std::lock_guard lock(g_hookMutex);
    g_recording = false;
}

std::vector<MessageBox::Shown> MessageBox::Recorded()
{
    std::lock_guard lock(g_hookMutex);
    return g_recorded;
}

void MessageBox::ClearRecorded()
{
    std::lock_guard lock(g_hookMutex);
    g_recorded.clear();
}

int QuestionBox::Ask(QWidget* parent, const QString& shownText, const QString& shownCaption,
                     const QStringList& buttons, const QString& accessibleName)
{
    const QString text = TranslateShown(shownText);
    const QString caption = TranslateShown(shownCaption);
    const int cancel = static_cast<int>(buttons.size()) - 1;
    {
        std::lock_guard lock(g_hookMutex);
        if (g_recording) {
            g_recorded.push_back({text, caption});
            const int answer = g_nextAnswer.value_or(cancel);
            g_nextAnswer.reset();
            return answer;
        }
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parent);
    box.setAccessibleName(accessibleName.isEmpty() ? caption : TranslateShown(accessibleName));
    box.setAccessibleDescription(text);
    std::vector<QPushButton*> shown;
    for (int i = 0; i <= cancel; ++i) {
        const auto role = i == 0 ? QMessageBox::AcceptRole : i == cancel ? QMessageBox::RejectRole : QMessageBox::DestructiveRole;
        shown.push_back(box.addButton(TranslateShown(buttons.at(i)), role));
    }
    if (!shown.empty()) {
        box.setDefaultButton(shown.front());
        box.setEscapeButton(shown.back());
    }
    box.exec();
    for (int i = 0; i <= cancel; ++i)
        if (box.clickedButton() == shown[static_cast<std::size_t>(i)])
            return i;
    return cancel;
}

void QuestionBox::SetNextAnswer(int index)
{
    std::lock_guard lock(g_hookMutex);
    if (index < 0)
        g_nextAnswer.reset();
    else
        g_nextAnswer = index;
}

QString FileDialog::GetOpenFileName(QWidget* parent, const QString& caption, const QStringList& filters)
{
    if (std::optional<QString> hooked = TakeNextFileName())
        return *hooked;
    QFileDialog dialog(parent, TranslateShown(caption));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, true);
    // The labels say which files they take, "所有文件(*.*)" included: shown
    // as written, without Qt's own list of the patterns after them.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList shownFilters = ShownFilters(filters);
    dialog.setNameFilters(shownFilters);
    if (!shownFilters.isEmpty())
        dialog.selectNameFilter(shownFilters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString FileDialog::GetSaveFileName(QWidget* parent, const QString& caption, const QStringList& filters,
                                    const QString& suggested)
{
    if (std::optional<QString> hooked = TakeNextFileName())
        return *hooked;
    QFileDialog dialog(parent, TranslateShown(caption));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList shownFilters = ShownFilters(filters);
    dialog.setNameFilters(shownFilters);
    if (!shownFilters.isEmpty()) {
        dialog.selectNameFilter(shownFilters.first());
        // "PNG(*.png) (*.png)" gives "png".
        const QString patterns = filters.first().section(QLatin1Char('('), -1).section(QLatin1Char(')'), 0, 0);
        dialog.setDefaultSuffix(patterns.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('.'), -1));
    }
    const QFileInfo start(suggested);
    dialog.setDirectory(start.absolutePath());
    dialog.selectFile(start.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void FileDialog::SetNextFileName(const QString& path)
{
    std::lock_guard lock(g_hookMutex);
    g_nextFileName = path;
}

std::optional<QFont> FontDialog::GetFont(QWidget* parent, const QFont& initial)
{
    std::function<std::optional<QFont>(const QFont&)> answer;
    {
        std::lock_guard lock(g_hookMutex);
        answer = std::exchange(g_nextFont, nullptr);
    }
    if (answer)
        return answer(initial);
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

void FontDialog::SetNextFont(const std::optional<QFont>& font)
{
    SetNextAnswer([font](const QFont&) { return font; });
}

void FontDialog::SetNextAnswer(std::function<std::optional<QFont>(const QFont& initial)> answer)
{
    std::lock_guard lock(g_hookMutex);
    g_nextFont = std::move(answer);
}

} // namespace wheel
