#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

class DomNode;

// The entries a whole-document search looks through: the navigation entries
// of the second level (of the first, in a one-level document), in document
// order, each with its text as the reading view shows it. Built once per
// document and style sheet; later searches reuse it.
//
// The text of an entry is that of the unit the view builds for it (the
// heading's parent's parent) with the style sheet's texts at the start and
// end tags, and runs of blanks holding a line break or TAB as one blank. So
// words of neighbouring headings and paragraphs do not run together, and a
// match here is a match in the view.
//
// The texts are held with the prepared entries and last exactly as long.
struct SearchEntry {
    // How a search without case folds the text. Nearly always as it goes,
    // character by character (a pair of surrogates as one), which is what
    // folding the text whole gives. Where folding it whole gives something else
    // (halves of pairs standing alone, which it may turn into U+FFFD), that
    // fold is kept in `folded` and searched instead; where it changes the
    // length, QString's own comparison without case is used.
    enum class Folding : uint8_t { AsItGoes, Kept, ByQString };

    int32_t id = 0;
    int32_t entry = 0;  // index into DocumentNavIndex()
    QStringView text;   // as shown
    QStringView folded; // only with Folding::Kept
    Folding folding = Folding::AsItGoes;
    mutable std::optional<QString> wordCount; // the list suffix, worked out on first use
};

// The entries of the open document, prepared on first use, on worker threads
// while the window goes on painting.
const std::vector<SearchEntry>& SearchableEntries();
// Drops the prepared entries (a document was closed or the style sheet changed).
void ForgetSearchableEntries();

// The text of a unit as the view shows it (see above).
QString UnitSearchText(const DomNode& unit);

// The first position from `from` in text where phrase stands, or -1.
// foldedPhrase is phrase.toCaseFolded(). Without case, the folded text (see
// SearchEntry) is compared with it when folding kept the lengths of both, else
// QString's comparison without case decides. With wholeWord, a match must
// stand between word boundaries (every occurrence is tried, not only the first).
qsizetype FindPhrase(const SearchEntry& entry, const QString& phrase, const QString& foldedPhrase, bool caseSensitive,
                     bool wholeWord, qsizetype from = 0);
