// Helpers for tests of the windows: scripted answers to the program's questions and the four
// windows started as the program starts them.
#pragma once

#include "app/MainForm.h"
#include "app/UserPrompts.h"

#include <QImage>
#include <QMouseEvent>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>

namespace vt::test {

// Answers questions from queues; an empty queue answers "cancel" / No. Records every question.
class FakePrompts : public UserPrompts
{
public:
    std::deque<QString> files;   // answers to open and save dialogs
    std::deque<QString> folders; // answers to the folder picker
    std::deque<bool> answers;    // answers to Yes/No questions
    std::deque<bool> discards;   // answers to "throw the corrections away?"
    int discardQuestions = 0;    // how often that was asked
    std::deque<int> choices;     // answers to chooseItem (an index; -1 cancels)
    std::deque<bool> useGrabs;   // answers to "open the map with the grab beside it?"
    struct ItemQuestion
    {
        QString question;
        QStringList items;
    };
    std::vector<ItemQuestion> itemQuestions; // chooseItem as it was asked
    QStringList grabsOffered;                // the grabs Open Map offered

    struct FolderQuestion
    {
        QString caption, prompt, start;
    };
    std::vector<FolderQuestion> folderQuestions; // the folder pickers as they were opened
    QStringList openFolders;                     // where the open dialog opened, in order
    QStringList questions;                       // confirmation texts, in order
    std::function<void()> whileAsking;           // run while a confirmation is open
    QStringList errors;      // every message box's text (and its details after it), in order
    std::vector<Tone> tones; // and its tone: reportError's are errors
    struct Told
    {
        QString text, details;
    };
    std::vector<Told> told;                      // the messages told as text and details, in order
    QStringList urls;                            // pages handed to the desktop
    std::vector<SaveDialogState> saveDialogs;    // the save dialogs as they were shown

    QString openPicture(QWidget*, const QString&, const QStringList&,
                        const QString& folder) override;
    QString saveFile(QWidget*, SaveDialogState& dialog) override;
    QString pickFolder(QWidget*, const QString&, const QString&, const QString&) override;
    bool confirm(QWidget*, const QString& message) override;
    bool discardCorrections(QWidget*) override;
    int chooseItem(QWidget*, const QString&, const QString& question,
                   const QStringList& items) override;
    bool useGrabBeside(QWidget*, const QString& grab) override;
    void reportError(QWidget*, const QString& message) override;
    void tell(QWidget*, Tone tone, const QString& text, const QString& details) override;
    void openUrl(QWidget*, const QString& url) override;
};

// The four windows, created and shown; the main window's questions go to `prompts`.
// Settings are whatever the store holds when it is constructed.
class StartedApp
{
public:
    StartedApp();
    ~StartedApp();

    TMainForm& main() { return *m_forms.MainForm; }
    const Forms& forms() const { return m_forms; }
    FakePrompts& prompts() { return *m_prompts; }

    // A folder for the test's files, removed with the app.
    QString path(const QString& name) const { return m_files.filePath(name); }

    // Saves `picture` under `name` in the test's folder and loads it as the user would through
    // "&Load Screengrab"; returns the file's path.
    QString loadGrab(const QImage& picture, const QString& name = QStringLiteral("grab.png"));

    // Loads and decodes; the decoded map must exist afterwards.
    void loadAndDecode(const QImage& picture, const QString& name = QStringLiteral("grab.png"));

private:
    Forms m_forms;
    FakePrompts* m_prompts;
    QTemporaryDir m_files;
};

// A pointer event as a control receives it, at `at` in the control's own coordinates.
std::unique_ptr<QMouseEvent> mouseEvent(QEvent::Type type, QPointF at,
                                        Qt::MouseButtons buttons = Qt::NoButton,
                                        Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                                        Qt::MouseButton button = Qt::NoButton);

// Runs `answer` on the next modal dialog once it is open (checking every few milliseconds), so
// that a test can look at a real dialog and close it; nothing runs if none opens.
void onNextModal(std::function<void(QWidget*)> answer);

// The contrast ratio of the text in `picture` against its background, as the accessibility
// guidelines define it (1 to 21): the background is the commonest colour, the text the pixel
// that differs most from it in relative luminance.
double textContrast(const QImage& picture);

// The contrast ratio of two colours, as textContrast measures it (1 to 21).
double contrast(QRgb a, QRgb b);

} // namespace vt::test
