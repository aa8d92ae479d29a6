// Reading aloud from the main window: the Extra menu's commands, the mark on
// the phrase being read, and what the reader asks of the window.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "speech/QtSpeechEngine.h"
#include "speech/ReadAloud.h"
#include "speech/ReadAloudHost.h"

#include <QAction>
#include <QMenu>
#include <QTextEdit>

namespace {

class WindowReadAloudHost final : public ReadAloudHost {
public:
    WindowReadAloudHost(frmMain& window, std::function<void(int, int)> mark, std::function<void()> changed)
        : m_window(window), m_mark(std::move(mark)), m_changed(std::move(changed))
    {}
    void phraseReached(int start, int length) override { m_mark(start, length); }
    void readingChanged() override { m_changed(); }
    void tellNoSpeech(const QString& reason) override
    {
        QString text = SetLangTxt(1124, reason);
        if (text.isEmpty())
            text = QStringLiteral("Quillbook cannot read aloud: no speech is available on this computer (%1).")
                       .arg(reason);
        Prompt().MsgBox(text, PromptButtons::Ok, PromptIcon::Exclamation);
        if (m_window.TextViewerView && m_window.TextViewerView->isVisible())
            RefocusAfterDialog(m_window.TextViewerView);
    }

private:
    frmMain& m_window;
    std::function<void(int, int)> m_mark;
    std::function<void()> m_changed;
};

} // namespace

void frmMain::connectReadAloud()
{
    m_readAloudHost = std::make_unique<WindowReadAloudHost>(
        *this, [this](int start, int length) { ShowReadingMark(start, length); }, [this] { ReadingChanged(); });
    Reader = std::make_unique<ReadAloud>(*Viewer, *Navigation, *NavLists, *m_readAloudHost);
    SetSpeechEngine(std::make_unique<QtSpeechEngine>());

    mnuExtra->addSeparator();
    // The keys act on release through the key table; the menu only shows them.
    const char* captions[] = {"&Read aloud, pause or resume\tF5", "S&top reading aloud\tEsc", "Read &faster\tF8",
                              "Read &slower\tF7"};
    for (int i = 0; i < 4; ++i) {
        auto* item = mnuExtra->addAction(QString::fromLatin1(captions[i]));
        item->setObjectName(QStringLiteral("mnuExtraReadAloud_%1").arg(i));
        connect(item, &QAction::triggered, this, [this, i] { mnuExtraReadAloud_Click(i); });
        mnuExtraReadAloud[size_t(i)] = item;
    }
}

void frmMain::SetSpeechEngine(std::unique_ptr<SpeechEngine> engine)
{
    if (Reader)
        Reader->SetEngine(engine.get());
    m_speech = std::move(engine);
}

void frmMain::mnuExtraReadAloud_Click(int index)
{
    GuardedVoid("mnuExtraReadAloud_Click", [&] {
        if (!Run().DocumentOpen)
            return;
        switch (index) {
        case 0:
            Reader->Toggle();
            break;
        case 1:
            Reader->Stop();
            break;
        case 2:
        case 3:
            Reader->ChangeRate(index == 2 ? 1 : -1);
            // The rate is kept at once, like every option the reader sets.
            SaveOptions();
            break;
        default:
            break;
        }
        SetMenuOptions();
    });
}

void frmMain::ShowReadingMark(int start, int length)
{
    QTextEdit::ExtraSelection mark;
    mark.cursor = Viewer->RangeCursor(start, length);
    const QColor chosen =
        TextViewer::ToQColor(NamedColours[size_t(Opts().ReadAloudColorIndex) % NamedColours.size()].Value);
    const PhraseMarkColours colours = MarkColoursFor(chosen, TextViewer::ToQColor(Viewer->BackColor()));
    mark.format.setBackground(colours.background);
    mark.format.setForeground(colours.foreground);
    TextViewerView->setExtraSelections({mark});
    TextViewerView->ensureCursorVisible();
}

void frmMain::ReadingChanged()
{
    if (!Reader->Active())
        TextViewerView->setExtraSelections({});
    SetMenuOptions();
}
