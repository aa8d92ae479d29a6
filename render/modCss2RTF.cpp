#include "render/modCss2RTF.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/core/TrimBlanks.h"

#include <QStringList>
#include <limits>

namespace {

// StyleCount is a 16-bit number, and record StyleCount stays empty: rules fill
// records up to one below the largest 16-bit number.
constexpr int kLastRecord = std::numeric_limits<qint16>::max();

struct CssState {
    std::vector<StyleRecord> table;
    int count = 1;
    QString pageNumSuffix;
};

void WriteDefaults(StyleRecord& r)
{
    r[Style::FontFamily] = QStringLiteral("Verdana");
    r[Style::FontSize] = QStringLiteral("14");
    r[Style::FontStyle] = QStringLiteral("normal");
    r[Style::FontWeight] = QStringLiteral("normal");
    r[Style::TextAlign] = QStringLiteral("left");
    r[Style::TextIndent] = QStringLiteral("0");
    r[Style::TextDecoration] = QStringLiteral("none");
    r[Style::BackgroundColor] = QStringLiteral("White");
    r[Style::Color] = QStringLiteral("Black");
}

CssState& Css()
{
    // Before the first sheet is read the table holds the defaults only.
    static CssState state = [] {
        CssState s;
        s.table.resize(2);
        WriteDefaults(s.table[0]);
        return s;
    }();
    return state;
}

// Line breaks and TABs carry no meaning in a sheet: they go wherever the sheet
// is cut up. Both CR LF and LF count, so a sheet saved with LF line ends reads
// the same as one with CR LF.
QString WithoutBreaksAndTabs(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        if (c != u'\r' && c != u'\n' && c != u'\t')
            out.append(c);
    }
    return out;
}

QString WithoutQuotes(QString s)
{
    return s.remove(u'"');
}

// The field a property name fills, or -1 for a property the dialect does not know.
int FieldOf(const QString& property)
{
    static const std::pair<QLatin1String, int> kProperties[] = {
        {QLatin1String("font-family"), Style::FontFamily},
        {QLatin1String("font-size"), Style::FontSize},
        {QLatin1String("font-style"), Style::FontStyle},
        {QLatin1String("font-weight"), Style::FontWeight},
        {QLatin1String("text-align"), Style::TextAlign},
        {QLatin1String("text-indent"), Style::TextIndent},
        {QLatin1String("text-decorartion"), Style::TextDecoration},
        {QLatin1String("background-color"), Style::BackgroundColor},
        {QLatin1String("color"), Style::Color},
        {QLatin1String("opentag-prefix"), Style::OpentagPrefix},
        {QLatin1String("opentag-suffix"), Style::OpentagSuffix},
        {QLatin1String("closetag-prefix"), Style::ClosetagPrefix},
        {QLatin1String("closetag-suffix"), Style::ClosetagSuffix},
    };
    for (const auto& [name, field] : kProperties) {
        if (property.compare(name, Qt::CaseInsensitive) == 0)
            return field;
    }
    return -1;
}

// One declaration, "property: value", into record r. The value runs to the end
// of the declaration, colons included.
void ReadDeclaration(CssState& css, StyleRecord& r, const QString& declaration)
{
    const qsizetype colon = declaration.indexOf(u':');
    if (colon < 0)
        return; // not a declaration: skipped, the rest of the sheet still counts
    const int field = FieldOf(TrimBlanks(declaration.left(colon)).toString());
    if (field < 0)
        return;
    const qsizetype next = declaration.indexOf(u':', colon + 1);
    QString value = next < 0
                        ? TrimBlanks(declaration.mid(colon + 1)).toString()
                        : TrimBlanks(declaration.mid(colon + 1, next - colon - 1)).toString() + declaration.mid(next);
    if (field >= Style::OpentagPrefix)
        value = WithoutQuotes(value);
    if (field == Style::OpentagSuffix && r[Style::Name] == QLatin1String("pagenum"))
        css.pageNumSuffix = value;
    r[field] = value;
}

void ReadSheet(CssState& css, const QString& text)
{
    const qsizetype n = text.size();
    qsizetype pos = 0;
    // Once no "}" follows, none follows later either: searching again for
    // every further "{" would make a long sheet without "}" take quadratic time.
    bool closeAhead = true;
    for (;;) {
        // A last character alone cannot start a rule.
        if (pos == n - 1)
            return;
        SetStep(QStringLiteral("Find the next style rule"));
        const qsizetype open = text.indexOf(u'{', pos);
        if (open < 0)
            return;

        // The selector runs up to the "{", also when it is written directly
        // against it ("p{").
        SetStep(QStringLiteral("Read the selector of style rule %1").arg(css.count));
        const QString selector = TrimBlanks(WithoutBreaksAndTabs(QStringView(text).sliced(pos, open - pos))).toString();
        if (selector.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0)
            css.count = 0;
        if (css.count >= kLastRecord)
            RaiseError(ErrNo::Overflow, QStringLiteral("Overflow"));
        if (css.table.size() <= static_cast<size_t>(css.count) + 1)
            css.table.resize(static_cast<size_t>(css.count) + 2);
        StyleRecord& r = css.table[static_cast<size_t>(css.count)];
        // A rule replaces what an earlier rule left in its record (after a
        // later "default" rule, or a rule without "}"); record 0 keeps the defaults.
        if (css.count > 0)
            r = StyleRecord();
        r[Style::Name] = selector.section(u' ', 0, 0);

        pos = open + 1;
        const qsizetype close = closeAhead ? text.indexOf(u'}', pos) : -1;
        if (close < 0) {
            closeAhead = false;
            continue; // the record keeps its name; the next rule takes it over
        }

        // Every declaration is read, also a last one without ";" or with "}"
        // right after its ";".
        SetStep(QStringLiteral("Read the declarations of style rule %1").arg(css.count));
        const QString block = WithoutBreaksAndTabs(QStringView(text).sliced(pos, close - pos));
        for (const QString& piece : block.split(u';')) {
            const QString declaration = TrimBlanks(piece).toString();
            if (!declaration.isEmpty())
                ReadDeclaration(css, r, declaration);
        }
        ++css.count;
        pos = close + 1;
    }
}

} // namespace

std::vector<StyleRecord>& StyleTable()
{
    return Css().table;
}

int StyleCount()
{
    return Css().count;
}

const QString& PageNumSuffix()
{
    return Css().pageNumSuffix;
}

void SetDefaultStyles()
{
    GuardedVoid("SetDefaultStyles", [] {
        SetStep(QStringLiteral("Set default styles"));
        CssState& css = Css();
        if (css.table.empty())
            css.table.resize(1);
        WriteDefaults(css.table[0]);
    });
}

bool LoadCSSFromText(const QString& text)
{
    CssState& css = Css();
    css.table.assign(2, StyleRecord());
    css.count = 1;
    css.pageNumSuffix.clear();
    SetDefaultStyles();
    const bool read = GuardedVoid("LoadCSS", [&] { ReadSheet(css, text); });
    // Record StyleCount is the empty one after the last rule; records past it
    // (left behind by a later "default" rule) are no part of the sheet.
    css.table.resize(static_cast<size_t>(css.count) + 1);
    if (css.count > 0)
        css.table.back() = StyleRecord();
    return read;
}

bool LoadCSS(int index)
{
    const RunState& rs = Run();
    if (index >= 1 && static_cast<size_t>(index) <= rs.StyleSheets.size())
        return LoadCSSFromText(rs.StyleSheets[static_cast<size_t>(index) - 1].text);
    // No such sheet: the defaults are in force.
    LoadCSSFromText(QString());
    GuardedVoid("LoadCSS", [index] {
        SetStep(QStringLiteral("Read style sheet %1").arg(index));
        RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    });
    return false;
}
