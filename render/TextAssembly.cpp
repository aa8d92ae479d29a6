#include "render/TextAssembly.h"

#include "package/NavIndex.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "package/dom/Dom.h"
#include "package/modEntities.h"
#include "render/ColourContrast.h"
#include "render/FoldedFind.h"
#include "render/StyleApplier.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"

#include <algorithm>
#include <cmath>

namespace {

// The fields a start or end tag applies between its two texts, in this order.
constexpr std::pair<StyleProperty, int> kStyleFields[] = {
    {StyleProperty::FontFamily, Style::FontFamily},
    {StyleProperty::FontSize, Style::FontSize},
    {StyleProperty::FontStyle, Style::FontStyle},
    {StyleProperty::FontWeight, Style::FontWeight},
    {StyleProperty::TextAlign, Style::TextAlign},
    {StyleProperty::TextIndent, Style::TextIndent},
    {StyleProperty::TextDecoration, Style::TextDecoration},
    {StyleProperty::BackgroundColor, Style::BackgroundColor},
    {StyleProperty::Color, Style::Color},
};

// Font sizes of the "size" attribute, 1 to 7.
constexpr int kAttributeSizes[] = {8, 10, 12, 14, 18, 24, 36};

// A colour written as RRGGBB in the last six characters of a value, as 0xBBGGRR.
int HexColour(QStringView value)
{
    const QStringView hex = value.size() > 6 ? value.last(6) : value;
    bool ok = hex.size() == 6;
    const uint rgb = ok ? hex.toUInt(&ok, 16) : 0;
    if (!ok)
        RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
    return int(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

int AlignmentOf(QStringView value)
{
    if (value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0)
        return 1;
    if (value.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

QString Decoded(QStringView text)
{
    return text.contains(u'&') ? ReplaceEntities(text) : text.toString();
}

// An empty element (<br/>, <img .../>), a comment or a processing
// instruction: its start tag is all there is, so it ends at its ">".
bool EndsAtItsStartTag(QStringView tag)
{
    return !tag.isEmpty() && (tag.back() == u'/' || tag.front() == u'!' || tag.front() == u'?');
}

// The view's background before any element sets one: the reader's own while
// over-ruling, else the sheet's, else white.
int SheetBackground()
{
    const Options& o = Opts();
    if (o.OverRuleCss)
        return o.BackGroundColorValue();
    bool ok = false;
    const int sheet = SetColor(QStringLiteral("8")).toInt(&ok);
    return ok ? sheet : 0xFFFFFF;
}

} // namespace

TextAssembly::TextAssembly(TextViewer& viewer) : m_viewer(viewer), m_parser(this) {}

DomNode TextAssembly::FindHeading(const DomDocument& doc, int32_t id)
{
    // The open document's headings are indexed by id; another document is searched.
    if (const NavIndex& index = DocumentNavIndex(); index.isFor(doc.asNode().identity())) {
        if (const int32_t entry = index.indexOfId(id); entry >= 0)
            return index.at(entry).heading;
    }
    // Ids are written with leading zeros and compared as numbers.
    return doc.asNode().selectSingleNode(QStringLiteral("//head[@id = number($id)]"),
                                         {{QStringLiteral("id"), QString::number(id)}});
}

void TextAssembly::LoadText(int32_t headId, int32_t position, const QString& pageText)
{
    RunState& rs = Run();
    if (position > 0)
        rs.LastReadPosition = position;
    Txt().CurrentHeadId = headId;

    SetStep(QStringLiteral("Select the heading"));
    rs.CurrentNode = FindHeading(rs.XmlDoc, headId);
    if (rs.CurrentNode.isNull()) {
        m_viewer.setVisible(false);
        m_viewer.setText(QString());
        RaiseError(ErrNo::NoObject, QStringLiteral("Object variable or With block variable not set"));
    }
    BuildUnit(rs.CurrentNode);

    if (ColourMarks) {
        SetStep(QStringLiteral("Colour the bookmarks and annotations"));
        ColourMarks(m_viewer, headId);
    }
    PlaceCaret(pageText);
}

void TextAssembly::BuildUnit(const DomNode& head)
{
    SetStep(QStringLiteral("Hide and clear the text"));
    m_viewer.setVisible(false);
    m_viewer.setText(QString());
    SetStep(QStringLiteral("Build the text of the unit"));
    QString xml = head.parentNode().parentNode().xml();
    BuildXml(xml);
}

void TextAssembly::BuildXml(QString& xml)
{
    m_open.clear();
    m_loggedRecords.clear();
    prepareRecords();
    // A "bgcolor" belongs to the text it came with, not to the next one.
    m_viewer.setBackColor(SheetBackground());
    struct EditBlock {
        TextViewer& viewer;
        explicit EditBlock(TextViewer& v) : viewer(v) { viewer.beginEditBlock(); }
        ~EditBlock() { viewer.endEditBlock(); }
    } block(m_viewer);
    m_parser.ParsexML(xml);
    m_open.clear();
}

// Each record needs working out only once for as long as the style sheet, the
// options and the font-size step stay as they are.
void TextAssembly::prepareRecords()
{
    const std::vector<StyleRecord>& table = StyleTable();
    const Options& o = Opts();
    const bool unchanged = m_inputs.count == StyleCount() && m_inputs.overrule == o.OverRuleCss &&
                           m_inputs.userFont == o.UserFont && m_inputs.userSize == o.FontSize &&
                           m_inputs.foreground == o.ForeGroundColorIndex &&
                           m_inputs.background == o.BackGroundColorIndex && m_inputs.offset == Txt().FontSizeOffset &&
                           std::equal(table.begin(), table.end(), m_inputs.table.begin(), m_inputs.table.end(),
                                      [](const StyleRecord& a, const StyleRecord& b) { return a.field == b.field; });
    if (unchanged)
        return;
    m_inputs = {table,      StyleCount(),           o.OverRuleCss,          o.UserFont,
                o.FontSize, o.ForeGroundColorIndex, o.BackGroundColorIndex, Txt().FontSizeOffset};
    const size_t last = std::min(static_cast<size_t>(std::max(StyleCount(), 0)), table.size() - 1);
    m_recordsOf.clear();
    m_prepared.assign(last + 1, {});
    for (size_t r = 1; r <= last; ++r)
        m_recordsOf[table[r][Style::Name].toLower()].push_back(r);
}

TextAssembly::PreparedRecord& TextAssembly::prepared(size_t record, bool closing, QStringView element)
{
    PreparedRecord& p = m_prepared[record][closing ? 1 : 0];
    if (p.ready && p.element == element)
        return p;
    const StyleRecord& r = StyleTable()[record];
    p = PreparedRecord();
    p.ready = true;
    p.element = element.toString();
    p.before = SetText(r[closing ? Style::ClosetagPrefix : Style::OpentagPrefix]);
    p.after = SetText(r[closing ? Style::ClosetagSuffix : Style::OpentagSuffix]);
    for (const auto& [property, field] : kStyleFields) {
        try {
            AddStyleEffect(p.effect, property, r[field], element);
        } catch (...) {
            p.failing.emplace_back(property, field);
        }
    }
    return p;
}

QTextCharFormat TextAssembly::formatOver(const QTextCharFormat& before, PreparedRecord& record)
{
    // A build meets the same few formats before an element again and again.
    for (const auto& [known, after] : record.merged) {
        if (known == before)
            return after;
    }
    QTextCharFormat after = before;
    after.merge(record.effect.charFormat);
    if (record.merged.size() < 16)
        record.merged.emplace_back(before, after);
    return after;
}

// Every record of the element applies, in table order: its first text, the
// other properties, its second text. A value that cannot be applied is
// handed to MarkUpRTF, which logs it, once per record and build: a unit has
// thousands of elements.
void TextAssembly::applyRecords(const QString& lowerName, QStringView element, bool closing, bool restoring)
{
    const auto found = m_recordsOf.constFind(lowerName);
    if (found == m_recordsOf.cend())
        return;
    const QStringView sizeElement = closing ? QStringView() : element;
    const std::vector<size_t>& records = *found;
    // At an end tag the formatting from before the element comes back once its
    // records are applied: character formatting set after the last text
    // inserted here has nothing to act on.
    qsizetype lastText = -1;
    if (closing && restoring) {
        for (qsizetype k = 0; k < qsizetype(records.size()); ++k) {
            const PreparedRecord& p = prepared(records[size_t(k)], closing, sizeElement);
            if (!p.before.isEmpty() || !p.after.isEmpty())
                lastText = k;
        }
    }
    for (qsizetype k = 0; k < qsizetype(records.size()); ++k) {
        const size_t r = records[size_t(k)];
        PreparedRecord& p = prepared(r, closing, sizeElement);
        if (!p.before.isEmpty())
            m_viewer.setSelText(p.before);
        const bool textFollows = !(closing && restoring) || k < lastText || (k == lastText && !p.after.isEmpty());
        if (textFollows && p.effect.charFormat.propertyCount() > 0)
            m_viewer.setSelCharFormat(formatOver(m_viewer.SelCharFormat(), p));
        ApplyStyleEffect(m_viewer, {QTextCharFormat(), p.effect.blockFormat, p.effect.viewBackground});
        if (!p.failing.empty() && m_loggedRecords.insert(r).second) {
            for (const auto& [property, field] : p.failing)
                MarkUpRTF(m_viewer, property, StyleTable()[r][field], sizeElement);
        }
        if (!p.after.isEmpty())
            m_viewer.setSelText(p.after);
    }
}

// A unit uses a handful of element names thousands of times.
QString TextAssembly::lowerName(QStringView name)
{
    for (const auto& [asWritten, lower] : m_names) {
        if (asWritten == name)
            return lower;
    }
    if (m_names.size() >= 256)
        m_names.clear();
    m_names.emplace_back(name.toString(), name.toString().toLower());
    return m_names.back().second;
}

void TextAssembly::xMLTagBegin(QStringView tagName)
{
    GuardedVoid("xMLParser1_xMLTagBegin", [&] {
        SetStep(QStringLiteral("Apply the styles of a start tag"));
        const QString name = lowerName(tagName);
        m_open.push_back({name, m_viewer.SelCharFormat()});
        applyRecords(name, tagName, false, false);
        Txt().CurrentElement = name;
    });
}

void TextAssembly::xMLProperty(QStringView name, QStringView value)
{
    GuardedVoid("xMLParser1_xMLProperty", [&] {
        SetStep(QStringLiteral("Apply an attribute"));
        if (name == u"bgcolor") {
            m_viewer.setBackColor(HexColour(value));
        } else if (name == u"align") {
            m_viewer.setSelAlignment(AlignmentOf(value));
        } else if (name == u"font") {
            const qsizetype comma = value.indexOf(u',');
            m_viewer.setSelFontName((comma < 0 ? value : value.first(comma)).toString());
        } else if (name == u"size") {
            bool ok = false;
            const double size = std::abs(value.toString().toDouble(&ok));
            if (!ok)
                RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
            for (int i = 1; i <= 7; ++i) {
                if (size == i)
                    m_viewer.setSelFontSize(kAttributeSizes[i - 1]);
            }
        } else if (name == u"color") {
            m_viewer.setSelColor(HexColour(value));
        } else if (name == u"descr") {
            if (Txt().CurrentElement == QLatin1String("img"))
                m_viewer.setSelText(QStringLiteral("Afbeelding beschrijving: ") + Decoded(value));
        }
    });
}

void TextAssembly::xMLTagEnd(QStringView tag)
{
    GuardedVoid("xMLParser1_xMLTagEnd", [&] {
        if (EndsAtItsStartTag(tag) && !m_open.empty())
            restoreTo(m_open.size() - 1);
    });
}

void TextAssembly::xMLTagClose(QStringView tagName)
{
    GuardedVoid("xMLParser1_xMLTagClose", [&] {
        SetStep(QStringLiteral("Apply the styles of an end tag"));
        // Normally the element closed is the one open last.
        size_t open = m_open.size();
        while (open > 0 && m_open[open - 1].name.compare(tagName, Qt::CaseInsensitive) != 0)
            --open;
        applyRecords(open > 0 ? m_open[open - 1].name : lowerName(tagName), tagName, true, open > 0);
        // Back to the formatting from before the element's start tag. An end
        // tag that closes nothing open leaves the formatting as it is.
        if (open > 0)
            restoreTo(open - 1);
    });
}

void TextAssembly::restoreTo(size_t depth)
{
    m_viewer.setSelCharFormat(m_open[depth].before);
    m_open.resize(depth);
}

void TextAssembly::xMLText(QStringView text)
{
    GuardedVoid("xMLParser1_xMLText", [&] {
        SetStep(QStringLiteral("Insert text"));
        // The document copies the text; no copy of our own is needed for that.
        m_viewer.setSelText(text.contains(u'&') ? ReplaceEntities(text)
                                                : QString::fromRawData(text.data(), text.size()));
    });
}

int TextAssembly::colourMatches()
{
    TextState& txt = Txt();
    const RunState& rs = Run();
    txt.FoundPositions.clear();
    if (txt.SearchText.isEmpty())
        return 0;
    const QString text = m_viewer.Text();
    const int textEnd = int(text.size());
    const int lastRead = std::max(rs.LastReadPosition, 0);
    // Down and Up divide only the text the reader was in; every other result
    // was listed for a match anywhere in it.
    const int direction = txt.SearchOriginId != 0 && txt.SearchOriginId == txt.CurrentHeadId ? txt.SearchDirection : 0;
    const int start = direction == 1 ? std::min(lastRead, textEnd) : 0;
    const int end = direction == 2 ? std::min(lastRead, textEnd) : textEnd;
    const int found = ReadableColour(Opts().FoundColor, m_viewer.BackColor());
    const QString& phrase = txt.SearchText;
    const Qt::CaseSensitivity cs = txt.SearchCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    // The matches the view's Find would give one by one, each after the one
    // before. Without case, the text is looked through for the folded phrase
    // as it stands, with no folded copy made.
    const QString folded = phrase.toCaseFolded();
    const bool byFolding = cs == Qt::CaseInsensitive && folded.size() == phrase.size();
    const auto next = [&](qsizetype from) {
        return byFolding ? IndexOfFolded(text, folded, from) : text.indexOf(phrase, from, cs);
    };
    for (qsizetype at = next(start); at >= 0 && at + phrase.size() <= end; at = next(at)) {
        if (txt.SearchWholeWord && !StandsAlone(text, at, phrase.size())) {
            ++at;
            continue;
        }
        txt.FoundPositions.push_back(int32_t(at));
        at += phrase.size();
    }
    std::vector<std::pair<int, int>> ranges;
    ranges.reserve(txt.FoundPositions.size());
    for (const int32_t at : txt.FoundPositions)
        ranges.emplace_back(int(at), int(phrase.size()));
    m_viewer.highlightRanges(ranges, found);
    return int(txt.FoundPositions.size());
}

void TextAssembly::PlaceCaret(const QString& pageText)
{
    RunState& rs = Run();
    TextState& txt = Txt();
    SetStep(QStringLiteral("Place the caret"));
    m_viewer.setSelStart(0);
    int caret = 0;
    if (txt.SearchText.isEmpty()) {
        const int page = pageText.isEmpty() ? -1 : m_viewer.Find(PageNumSuffix() + pageText);
        // A page that is not in the text counts as no page.
        if (page >= 0)
            caret = page;
        else if (rs.LastReadPosition > 0)
            caret = rs.LastReadPosition;
    } else {
        SetStep(QStringLiteral("Colour the search matches"));
        const int matches = colourMatches();
        if (matches == 0) {
            Prompt().MsgBox(SetLangTxt(1097), PromptButtons::Ok, PromptIcon::Information, SetLangTxt(1092));
            txt.SearchText.clear();
            txt.CurrentFound = 0;
            rs.LocalSearchMode = false;
            txt.LocalSearchHeadId = 0;
        } else {
            // A search of the shown article has no results list to go back to.
            if (!rs.LocalSearchMode)
                rs.GlobalSearchMode = true;
            txt.CurrentFound = txt.StartAtLastMatch ? matches - 1 : 0;
            caret = txt.FoundPositions[static_cast<size_t>(txt.CurrentFound)];
        }
    }
    // Find previous asks for the last match of the one text it moves to.
    txt.StartAtLastMatch = false;
    m_viewer.setSelStart(caret);
    m_viewer.setSelLength(int(txt.SearchText.size()));
}
