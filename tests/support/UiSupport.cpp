#include "UiSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>

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

QString FakePrompts::pickFolder(QWidget*, const QString& caption, const QString& prompt,
                                const QString& start)
{
    folderQuestions.push_back({caption, prompt, start});
    return takeFront(folders, QString());
}

bool FakePrompts::confirm(QWidget*, const QString& message)
{
    questions.append(message);
    if (whileAsking)
        whileAsking();
    return takeFront(answers, false);
}

bool FakePrompts::discardCorrections(QWidget*)
{
    ++discardQuestions;
    return takeFront(discards, false);
}

int FakePrompts::chooseItem(QWidget*, const QString&, const QString& question,
                            const QStringList& items)
{
    itemQuestions.push_back({question, items});
    return takeFront(choices, -1);
}

bool FakePrompts::useGrabBeside(QWidget*, const QString& grab)
{
    grabsOffered.append(grab);
    return takeFront(useGrabs, false);
}

void FakePrompts::reportError(QWidget*, const QString& message)
{
    errors.append(message);
    tones.push_back(Tone::Error);
}

void FakePrompts::tell(QWidget*, Tone tone, const QString& text, const QString& details)
{
    errors.append(details.isEmpty() ? text : text + QStringLiteral("\n\n") + details);
    tones.push_back(tone);
    told.push_back({text, details});
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

void onNextModal(std::function<void(QWidget*)> answer)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start(5);
}

namespace {
// Relative luminance of an sRGB colour, 0 for black to 1 for white.
double luminance(QRgb rgb)
{
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}
} // namespace

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a & RGB_MASK), lb = luminance(b & RGB_MASK);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double textContrast(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[rgb.pixel(x, y) & RGB_MASK];
    if (counts.empty())
        return 1.0;
    const QRgb background =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    const double back = luminance(background);
    double best = 1.0;
    for (const auto& [colour, count] : counts) {
        const double text = luminance(colour);
        const double ratio = (std::max(text, back) + 0.05) / (std::min(text, back) + 0.05);
        best = std::max(best, ratio);
    }
    return best;
}

} // namespace vt::test
