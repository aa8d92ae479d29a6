#pragma once

#include <QString>
#include <QStringView>

// The tokenizer that turns one serialized document unit into events for the
// text assembly. It is not an XML parser: a small state machine that knows only
// "<", ">", the blank, "/" and the double quote, and reports what it sees in
// this order of declaration:
//
//   xMLTagBegin  the name of a start tag is complete (first blank in the tag, or its ">")
//   xMLProperty  the closing double quote of an attribute value
//   xMLTagEnd    the ">" of a tag that does not start with "/" (the whole tag buffer)
//   xMLTagClose  the ">" of an end tag (its name without the "/")
//   xMLText      a "<" is met and the pending text is not blank
//
// Names arrive as written; an empty element serialized as <br/> arrives as
// xMLTagBegin("br/") and xMLTagEnd("br/") with no xMLTagClose. Text arrives
// with its character references undecoded. Text after the last tag and an
// unterminated tag raise nothing. A CDATA section is text: its content joins
// the text around it, with "&" and "<" written as references, as the DOM
// writes them in other text.

// The receiver of the events. Every argument is a view that is valid only for
// the duration of the call; copy it to keep it. The default handlers do nothing.
class XML2RTFEvents {
public:
    virtual ~XML2RTFEvents() = default;
    virtual void xMLTagBegin([[maybe_unused]] QStringView tagName) {}
    // name is the attribute name (the text before the opening quote, blanks
    // trimmed, less its last character, normally the "="); value is the text
    // between the quotes, blanks at either end trimmed.
    virtual void xMLProperty([[maybe_unused]] QStringView name, [[maybe_unused]] QStringView value) {}
    virtual void xMLTagEnd([[maybe_unused]] QStringView tag) {}
    virtual void xMLTagClose([[maybe_unused]] QStringView tagName) {}
    virtual void xMLText([[maybe_unused]] QStringView text) {}
};

class XML2RTF {
public:
    explicit XML2RTF(XML2RTFEvents* events = nullptr) : m_events(events) {}

    // The receiver of the events (not owned); nullptr discards them.
    void setEvents(XML2RTFEvents* events) { m_events = events; }
    XML2RTFEvents* events() const { return m_events; }

    // Scans xml and raises the events synchronously. First, in place (the
    // caller's string is changed), every run of blanks that holds a line break
    // (CR LF or LF) or a TAB becomes one blank, or nothing between two tags,
    // after a start tag or before an end tag. Has no error handling of its own: an
    // exception from a handler ends the scan and reaches the caller. A handler
    // must not call ParsexML again (that raises error 5).
    void ParsexML(QString& xml);

private:
    XML2RTFEvents* m_events = nullptr;
    bool m_scanning = false;
};
