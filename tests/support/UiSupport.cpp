#include "UiSupport.h"

#include <QPushButton>
#include <QTest>

namespace vt::test {

namespace {
template <typename T> T takeFront(std::deque<T>& queue, T empty)
{
    if (queue.empty())
        return empty;
    T value = queue.front();
    queue.pop_front();
    return value;
}
} // namespace

QString FakePrompts::openPicture(QWidget*, const QString&, const QStringList&,
                                 const QString& folder)
{
    openFolders.append(folder);
    return takeFront(files, QString());
}

QString FakePrompts::saveFile(QWidget*, SaveDialogState& dialog)
{
    saveDialogs.push_back(dialog);
    const QString answer = takeFront(files, QString());
    if (!answer.isEmpty())
        dialog.fileName = answer;
    return answer;
}

QString FakePrompts::pickFolder(QWidget*, const QString&, const QString&, const QString&)
{
    return takeFront(folders, QString());
}

bool FakePrompts::confirm(QWidget*, const QString& message)
{
    questions.append(message);
    return takeFront(answers, false);
}

bool FakePrompts::discardCorrections(QWidget*)
{
    ++discardQuestions;
    return takeFront(discards, false);
}

void FakePrompts::reportError(QWidget*, const QString& message)
{
    errors.append(message);
}

void FakePrompts::openUrl(QWidget*, const QString& url)
{
    urls.append(url);
}

StartedApp::StartedApp()
{
    m_forms = createForms();
    auto prompts = std::make_unique<FakePrompts>();
    m_prompts = prompts.get();
    m_forms.MainForm->setPrompts(std::move(prompts));
    m_forms.MainForm->resize(1200, 900);
    m_forms.MainForm->show();
    (void)QTest::qWaitForWindowExposed(m_forms.MainForm);
}

StartedApp::~StartedApp()
{
    delete m_forms.MainForm;
}

QString StartedApp::loadGrab(const QImage& picture, const QString& name)
{
    const QString file = path(name);
    if (!picture.save(file))
        throw std::runtime_error("cannot save the test grab");
    m_prompts->files.push_back(file);
    m_forms.MainForm->ui.sb_LoadScreenGrab->click();
    return file;
}

void StartedApp::loadAndDecode(const QImage& picture, const QString& name)
{
    loadGrab(picture, name);
    m_forms.MainForm->ui.sb_DecodeStart->click();
    if (!m_forms.MainForm->ui.sb_SaveMap->isEnabled())
        throw std::runtime_error("the test grab did not decode");
}

std::unique_ptr<QMouseEvent> mouseEvent(QEvent::Type type, QPointF at, Qt::MouseButtons buttons,
                                        Qt::KeyboardModifiers modifiers, Qt::MouseButton button)
{
    return std::make_unique<QMouseEvent>(type, at, at, button, buttons, modifiers);
}

} // namespace vt::test
