// Every question the program asks the user, and every hand-over to the desktop, goes through
// this interface, so that tests can answer them without a modal dialog or a browser.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vt {

// A file-save dialog that lives as long as the program: it keeps its last file name and its
// last chosen file-type row between uses.
struct SaveDialogState
{
    QString title;
    QString defaultSuffix; // completes a name typed without an extension
    QStringList filters;   // file-type rows, "Label (*.ext)"
    QString fileName;      // proposed or last name
    int filterIndex = 0;   // last chosen row
    QString folder;        // where it opens; empty for the platform's choice
};

class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    // A picture to open, the dialog opening in `folder` (empty for the platform's choice);
    // empty when the user cancels.
    virtual QString openPicture(QWidget* parent, const QString& title, const QStringList& filters,
                                const QString& folder) = 0;

    // A name to save under; empty when the user cancels. Updates the dialog's state.
    virtual QString saveFile(QWidget* parent, SaveDialogState& dialog) = 0;

    // A folder; empty when the user cancels.
    virtual QString pickFolder(QWidget* parent, const QString& caption, const QString& prompt,
                               const QString& start) = 0;

    // A Yes/No question; true only for Yes.
    virtual bool confirm(QWidget* parent, const QString& message) = 0;

    // Before a command throws away hand corrections that were never saved: true to go on and
    // lose them, false to keep them (the command is then not run).
    virtual bool discardCorrections(QWidget* parent) = 0;

    // One of `items` (the first one offered first), asked as `question`; its index, or -1 when
    // the user cancels.
    virtual int chooseItem(QWidget* parent, const QString& title, const QString& question,
                           const QStringList& items) = 0;

    // Open Map found `grab` beside the table: true to open the map with that grab.
    virtual bool useGrabBeside(QWidget* parent, const QString& grab) = 0;

    // Reports a failed command.
    virtual void reportError(QWidget* parent, const QString& message) = 0;

    // Tells the end of a command: a short text with the counts, and the lists behind them
    // (`details`, may be empty) where they cannot stretch the box past the screen. Only an
    // error shows the error icon; a stop the user asked for is told as information.
    enum class Tone
    {
        Information,
        Warning,
        Error
    };
    virtual void tell(QWidget* parent, Tone tone, const QString& text, const QString& details) = 0;

    // Asks the desktop to open a web page.
    virtual void openUrl(QWidget* parent, const QString& url) = 0;
};

// The real dialogs.
class DialogPrompts : public UserPrompts
{
public:
    QString openPicture(QWidget* parent, const QString& title, const QStringList& filters,
                        const QString& folder) override;
    QString saveFile(QWidget* parent, SaveDialogState& dialog) override;
    QString pickFolder(QWidget* parent, const QString& caption, const QString& prompt,
                       const QString& start) override;
    bool confirm(QWidget* parent, const QString& message) override;
    bool discardCorrections(QWidget* parent) override;
    int chooseItem(QWidget* parent, const QString& title, const QString& question,
                   const QStringList& items) override;
    bool useGrabBeside(QWidget* parent, const QString& grab) override;
    void reportError(QWidget* parent, const QString& message) override;
    void tell(QWidget* parent, Tone tone, const QString& text, const QString& details) override;
    void openUrl(QWidget* parent, const QString& url) override;
};

} // namespace vt
