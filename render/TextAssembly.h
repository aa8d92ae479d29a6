#pragma once

#include "render/StyleApplier.h"
#include "render/XML2RTF.h"
#include "render/modCss2RTF.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <QTextCharFormat>
#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

class DomDocument;
class DomNode;
class TextViewer;

// Builds the text of one navigation unit in the text view: the tokenizer's
// events apply the style records of each element through the style applier
// and insert the text at the caret. Afterwards the caret goes to where reading
// goes on, and the matches of an active search are coloured. The state it
// keeps between builds is the text state (Txt()).
//
// Formatting is scoped to elements: at an end tag, after the element's closing
// texts, the character formatting in force before its start tag comes back,
// so a bold word does not make the rest of its paragraph bold; an empty
// element (<br/>, <img .../>) ends at its own start tag. Paragraph formatting
// (alignment, indent) carries on until a rule sets it again.
class TextAssembly : public XML2RTFEvents {
public:
    explicit TextAssembly(TextViewer& viewer);

    TextViewer& viewer() const { return m_viewer; }
    // The tokenizer whose events build the text.
    XML2RTF& parser() { return m_parser; }

    // Builds the unit of heading headId of the run state's document and places
    // the caret: keeps position in LastReadPosition when it is above 0, hides
    // and empties the view, builds the text of the heading's parent's parent,
    // then puts the caret at the page pageText (when given), the last read
    // position or the current search match. Errors reach the caller (a heading
    // that is not there: error 91, with the view hidden and empty); the text
    // built so far stays.
    void LoadText(int32_t headId, int32_t position, const QString& pageText);
    // Colours the marks of the text just built for a heading, before the caret is placed.
    std::function<void(TextViewer& viewer, int32_t headId)> ColourMarks;

    // The heading element with that id, or a null node.
    static DomNode FindHeading(const DomDocument& doc, int32_t id);

    // Hides and empties the view, then builds the text of the unit that holds
    // the heading (its parent's parent).
    void BuildUnit(const DomNode& head);
    // Builds the text of serialized markup at the caret. The string's line
    // breaks and TABs become blanks, as the tokenizer does to its input.
    void BuildXml(QString& xml);
    // Puts the caret where reading goes on (see LoadText), colouring the
    // matches of Txt().SearchText when a search is active.
    void PlaceCaret(const QString& pageText);

    // Tokenizer events.
    void xMLTagBegin(QStringView tagName) override;
    void xMLProperty(QStringView name, QStringView value) override;
    void xMLTagEnd(QStringView tag) override;
    void xMLTagClose(QStringView tagName) override;
    void xMLText(QStringView text) override;

private:
    struct OpenElement {
        QString name;           // lower-cased
        QTextCharFormat before; // the character formatting in force before its start tag
    };
    // A style record worked out for a start or an end tag: its two texts, what
    // its other properties do, and those whose values cannot be applied.
    struct PreparedRecord {
        bool ready = false;
        QString element; // the element name it was worked out for (sizes may depend on it)
        QString before, after;
        StyleEffect effect;
        std::vector<std::pair<StyleProperty, int>> failing; // property and field
        // The character formatting met before this record and what it made of
        // it. Handing the document a format it already holds saves it work.
        std::vector<std::pair<QTextCharFormat, QTextCharFormat>> merged;
    };

    // before with the record's character formatting merged in.
    static QTextCharFormat formatOver(const QTextCharFormat& before, PreparedRecord& record);
    void prepareRecords();
    PreparedRecord& prepared(size_t record, bool closing, QStringView element);
    void applyRecords(const QString& lowerName, QStringView element, bool closing, bool restoring);
    int colourMatches();
    void restoreTo(size_t depth);
    QString lowerName(QStringView name);

    TextViewer& m_viewer;
    XML2RTF m_parser;
    std::vector<OpenElement> m_open;
    // Records whose failing values this build has logged already.
    std::set<size_t> m_loggedRecords;
    // What the records were worked out from: the style table and the options
    // and font-size step that sizes, fonts and colours depend on.
    struct StyleInputs {
        std::vector<StyleRecord> table;
        int count = -1;
        bool overrule = false;
        QString userFont, userSize;
        int foreground = 0, background = 0, offset = 0;
    };
    StyleInputs m_inputs;
    // The records of each element (by lower-cased name), and each record
    // worked out for start [0] and end [1] tags.
    QHash<QString, std::vector<size_t>> m_recordsOf;
    std::vector<std::array<PreparedRecord, 2>> m_prepared;
    std::vector<std::pair<QString, QString>> m_names; // element names as written and lower-cased
};
