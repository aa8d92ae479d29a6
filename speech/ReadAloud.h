#pragma once

#include <QColor>
#include <QString>

class NavList;
class Navigator;
class ReadAloudHost;
class SpeechEngine;
class TextViewer;

// Reads the shown text aloud from the caret, one phrase at a time (the phrase
// rule of the reading keys), moving the caret to each phrase as it is handed to
// the engine, and goes on into the next article until the document ends.
class ReadAloud {
public:
    enum class State { Stopped, Reading, Paused };

    ReadAloud(TextViewer& viewer, Navigator& navigator, NavList& lists, ReadAloudHost& host);
    ~ReadAloud();

    // The engine spoken through; the reader does not own it. Null: no speech.
    void SetEngine(SpeechEngine* engine);
    SpeechEngine* Engine() const { return m_engine; }

    // The read-aloud key: starts at the caret when stopped, else pauses or resumes.
    void Toggle();
    // Starts at the caret while the text is shown; false when nothing starts
    // (no text shown, or no speech: the reader is told once per run).
    bool Start();
    void Pause();
    void Resume();
    // Ends reading with the caret at the start of the phrase that was being read.
    void Stop();
    // Faster (+1) or slower (-1) by one step of the option's -10..10; the new
    // value is in the options and in force from the next phrase.
    int ChangeRate(int steps);
    // Hands voice, rate, pitch and volume from the options to the engine.
    void ApplyOptions();

    State state() const { return m_state; }
    bool Active() const { return m_state != State::Stopped; }
    // The phrase being read (positions of TextViewer::Text()); length 0 when none.
    int PhraseStart() const { return m_phraseStart; }
    int PhraseLength() const { return m_phraseLength; }

private:
    // Hands the phrase at the reading position to the engine, crossing into the
    // next article when the text is read to its end.
    void SpeakNext();
    void EngineFinished();
    void EngineFailed(const QString& reason);
    void TellNoSpeech(const QString& reason);
    void End();
    bool NextArticle();

    TextViewer& m_viewer;
    Navigator& m_navigator;
    NavList& m_lists;
    ReadAloudHost& m_host;
    SpeechEngine* m_engine = nullptr;
    State m_state = State::Stopped;
    int m_next = 0; // where the phrase after the one being read starts
    int m_phraseStart = 0;
    int m_phraseLength = 0;
    bool m_toldNoSpeech = false;
};

// The text the engine is given for a piece of the view's text: line breaks and
// runs of blanks become one space, blanks at the ends go.
QString SpokenText(const QString& piece);

// The colours of the mark on the phrase being read: the chosen colour, unless
// it is close to the page's colour (then one that stands out), with black or
// white text, whichever reads better on it.
struct PhraseMarkColours {
    QColor background;
    QColor foreground;
};
PhraseMarkColours MarkColoursFor(const QColor& chosen, const QColor& page);
// The contrast ratio of two colours, 1 (none) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);
