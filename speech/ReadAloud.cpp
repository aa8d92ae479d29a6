#include "speech/ReadAloud.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "navigation/Phrases.h"
#include "render/TextViewer.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "speech/ReadAloudHost.h"
#include "speech/SpeechEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

ReadAloud::ReadAloud(TextViewer& viewer, Navigator& navigator, NavList& lists, ReadAloudHost& host)
    : m_viewer(viewer), m_navigator(navigator), m_lists(lists), m_host(host)
{}

ReadAloud::~ReadAloud()
{
    SetEngine(nullptr);
}

void ReadAloud::SetEngine(SpeechEngine* engine)
{
    if (m_engine) {
        m_engine->Finished = nullptr;
        m_engine->Failed = nullptr;
    }
    m_state = State::Stopped;
    m_engine = engine;
    if (m_engine) {
        m_engine->Finished = [this] { EngineFinished(); };
        m_engine->Failed = [this](const QString& reason) { EngineFailed(reason); };
    }
}

void ReadAloud::Toggle()
{
    switch (m_state) {
    case State::Stopped:
        Start();
        break;
    case State::Reading:
        Pause();
        break;
    case State::Paused:
        Resume();
        break;
    }
}

bool ReadAloud::Start()
{
    bool started = false;
    GuardedVoid("ReadAloudStart", [&] {
        if (m_state != State::Stopped || Run().CurrentLevel != 9 || !m_viewer.isVisible())
            return;
        SetStep(QStringLiteral("Find the speech engine"));
        if (!m_engine || !m_engine->Available()) {
            TellNoSpeech(m_engine ? m_engine->Reason() : QString());
            return;
        }
        ApplyOptions();
        m_state = State::Reading;
        m_next = m_viewer.SelStart();
        started = true;
        SpeakNext();
    });
    return started;
}

void ReadAloud::Pause()
{
    if (m_state != State::Reading)
        return;
    m_state = State::Paused;
    m_engine->Pause();
    m_host.readingChanged();
}

void ReadAloud::Resume()
{
    if (m_state != State::Paused)
        return;
    m_state = State::Reading;
    m_engine->Resume();
    m_host.readingChanged();
}

void ReadAloud::Stop()
{
    if (m_state == State::Stopped)
        return;
    m_engine->Stop();
    if (m_phraseLength > 0 && Run().CurrentLevel == 9) {
        m_viewer.setSelStart(m_phraseStart);
        Run().LastReadPosition = m_viewer.SelStart();
    }
    End();
}

void ReadAloud::End()
{
    m_state = State::Stopped;
    m_phraseLength = 0;
    m_host.readingChanged();
}

int ReadAloud::ChangeRate(int steps)
{
    Options& o = Opts();
    o.ReadAloudRate = std::clamp(o.ReadAloudRate + steps, -10, 10);
    if (m_engine && m_state != State::Stopped)
        m_engine->SetRate(o.ReadAloudRate / 10.0);
    return o.ReadAloudRate;
}

void ReadAloud::ApplyOptions()
{
    if (!m_engine)
        return;
    const Options& o = Opts();
    m_engine->SetVoice(o.ReadAloudVoice);
    m_engine->SetRate(std::clamp(o.ReadAloudRate, -10, 10) / 10.0);
    m_engine->SetPitch(std::clamp(o.ReadAloudPitch, -10, 10) / 10.0);
    m_engine->SetVolume(std::clamp(o.ReadAloudVolume, 0, 100) / 100.0);
}

void ReadAloud::SpeakNext()
{
    GuardedVoid("ReadAloudNext", [&] {
        // An article may end in blank lines only, and an article may be empty:
        // both are passed over on the way to the next phrase worth saying.
        for (;;) {
            if (Run().CurrentLevel != 9 || !m_viewer.isVisible()) {
                End();
                return;
            }
            const QString& text = m_viewer.Text();
            if (m_next >= text.size()) {
                SetStep(QStringLiteral("Go on to the next article"));
                if (!NextArticle()) {
                    End();
                    return;
                }
                m_next = 0;
                continue;
            }
            SetStep(QStringLiteral("Find the phrase"));
            const int start = m_next;
            const int end = std::max(NextPhraseStart(text, start), start + 1);
            m_next = end;
            const QString spoken = SpokenText(text.mid(start, end - start));
            if (spoken.isEmpty())
                continue;
            SetStep(QStringLiteral("Move the caret to the phrase"));
            m_phraseStart = start;
            m_phraseLength = end - start;
            m_viewer.setSelStart(start);
            Run().LastReadPosition = m_viewer.SelStart();
            m_host.phraseReached(m_phraseStart, m_phraseLength);
            m_engine->Say(spoken);
            return;
        }
    });
}

bool ReadAloud::NextArticle()
{
    // The move plays the section and end-of-document sounds; an unchanged
    // selection in every list means the document has ended.
    std::vector<int> before;
    for (int i = 0; i < m_lists.count(); ++i)
        before.push_back(m_lists.ListIndex(i));
    m_navigator.GoArticle(2);
    for (int i = 0; i < m_lists.count(); ++i) {
        if (m_lists.ListIndex(i) != before[size_t(i)])
            return Run().CurrentLevel == 9;
    }
    return false;
}

void ReadAloud::EngineFinished()
{
    if (m_state == State::Reading)
        SpeakNext();
}

void ReadAloud::EngineFailed(const QString& reason)
{
    if (m_state == State::Stopped)
        return;
    End();
    TellNoSpeech(reason);
}

void ReadAloud::TellNoSpeech(const QString& reason)
{
    if (m_toldNoSpeech)
        return;
    m_toldNoSpeech = true;
    m_host.tellNoSpeech(reason);
}

QString SpokenText(const QString& piece)
{
    return piece.simplified();
}

namespace {

double Luminance(const QColor& c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

PhraseMarkColours MarkColoursFor(const QColor& chosen, const QColor& page)
{
    PhraseMarkColours colours{chosen, Qt::black};
    // A mark near the colour of the page would not be seen: yellow on a dark
    // page, navy on a light one. Hue counts, not only lightness: yellow on
    // white is the highlighter everyone knows.
    const int apart = std::abs(chosen.red() - page.red()) + std::abs(chosen.green() - page.green()) +
                      std::abs(chosen.blue() - page.blue());
    if (apart < 150)
        colours.background = Luminance(page) < 0.18 ? QColor(255, 255, 0) : QColor(0, 0, 128);
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    colours.foreground =
        ContrastRatio(colours.background, black) >= ContrastRatio(colours.background, white) ? black : white;
    return colours;
}
