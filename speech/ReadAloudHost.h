#pragma once

// What reading aloud asks of the window that shows the text.
class ReadAloudHost {
public:
    virtual ~ReadAloudHost() = default;
    // The phrase at start (length characters, positions of TextViewer::Text())
    // is being read; the caret is at its start already. Mark it and keep it in view.
    virtual void phraseReached(int start, int length) = 0;
    // Reading stopped, paused or went on: the mark goes and the menus follow.
    virtual void readingChanged() = 0;
    // No speech can be had; the text says why. Asked once per run at most.
    virtual void tellNoSpeech(const QString& reason) = 0;
};
