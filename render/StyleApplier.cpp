#include "render/StyleApplier.h"

#include "app/core/ErrorConvention.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "settings/Options.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The number a text reads as, the way stored sheets were read: blanks around
// it, a sign, digits with an optional point, an optional exponent.
std::optional<double> NumberIn(QStringView s)
{
    while (!s.isEmpty() && (s.front() == u' ' || s.front() == u'\t'))
        s = s.sliced(1);
    while (!s.isEmpty() && (s.back() == u' ' || s.back() == u'\t'))
        s.chop(1);
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && IsDigit(s[i]))
        ++i, ++digits;
    if (i < n && s[i] == u'.') {
        ++i;
        while (i < n && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == u'+' || s[j] == u'-'))
            ++j;
        const qsizetype expStart = j;
        while (j < n && IsDigit(s[j]))
            ++j;
        if (j == expStart)
            return std::nullopt;
        i = j;
    }
    if (i != n)
        return std::nullopt;
    bool ok = false;
    const double value = s.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A whole 16-bit number, halves rounded to the even neighbour.
int ToInt16(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<int16_t>::min() && rounded <= std::numeric_limits<int16_t>::max()))
        RaiseError(ErrNo::Overflow, QStringLiteral("Overflow"));
    return static_cast<int>(rounded);
}

// A whole number of a text that must be one.
int ToInt16(const QString& text)
{
    const std::optional<double> n = NumberIn(text);
    if (!n)
        RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
    return ToInt16(*n);
}

const StyleRecord* Record(int index)
{
    const std::vector<StyleRecord>& table = StyleTable();
    return index >= 0 && static_cast<size_t>(index) < table.size() ? &table[static_cast<size_t>(index)] : nullptr;
}

const QString& DefaultField(int field)
{
    static const QString none;
    const StyleRecord* r = Record(0);
    return r ? (*r)[field] : none;
}

QString ColorOf(const QString& value)
{
    QString name = value;
    if (const std::optional<double> n = NumberIn(value)) {
        const int field = ToInt16(*n);
        if (field < 0 || field >= Style::FieldCount)
            RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        const StyleRecord* first = Record(1);
        name = first ? (*first)[field] : QString();
        if (name.isEmpty())
            name = DefaultField(field);
    }
    for (const NamedColour& c : NamedColours) {
        if (name.compare(QLatin1String(c.Name), Qt::CaseInsensitive) == 0)
            return QString::number(c.Value);
    }
    return {};
}

int16_t FontSizeOf(const QString& text)
{
    const QString& source = text.isEmpty() ? DefaultField(Style::FontSize) : text;
    if (const std::optional<double> n = NumberIn(source))
        return static_cast<int16_t>(ToInt16(*n));
    // The longest leading part that is a number: "12px" gives 12.
    std::optional<double> best;
    for (qsizetype len = 1; len <= source.size(); ++len) {
        const std::optional<double> n = NumberIn(QStringView(source).first(len));
        if (!n)
            break;
        best = n;
    }
    if (!best)
        RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
    return static_cast<int16_t>(ToInt16(*best));
}

// A colour from SetColor's text; empty text (no such colour) cannot be applied.
int ColorValue(const QString& colour)
{
    bool ok = false;
    const int value = colour.toInt(&ok);
    if (!ok)
        RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
    return value;
}

double FontSizeFor(const QString& value, QStringView element)
{
    const Options& o = Opts();
    double size = 0;
    if (o.OverRuleCss) {
        const int user = ToInt16(o.FontSize);
        size = user;
        if (element == u"head")
            size = user * 3;
        else if (element == u"chapeau")
            size = user * 2;
        else if (element == u"onderkop")
            size = user * 1.5;
    } else {
        if (const std::optional<double> n = NumberIn(value))
            size = *n;
        else
            size = FontSizeOf(value);
        size += Txt().FontSizeOffset;
    }
    const int points = ToInt16(size);
    if (points <= 0 || points > TextViewer::MaxFontPoints)
        RaiseError(ErrNo::InvalidCall, QStringLiteral("font size out of range"));
    return points;
}

int IndentFor(const QString& value)
{
    QString text = value;
    if (!NumberIn(value)) {
        const qsizetype px = value.indexOf(QLatin1String("px"));
        if (px < 0)
            RaiseError(ErrNo::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
        text = value.left(px);
    }
    if (text.isEmpty())
        text = DefaultField(Style::TextIndent);
    const int twips = ToInt16(text);
    if (twips < 0)
        RaiseError(ErrNo::InvalidCall, QStringLiteral("indent below 0"));
    return twips;
}

int AlignmentOf(const QString& value)
{
    if (value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0)
        return 1;
    if (value.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

bool Is(const QString& value, const char* word)
{
    return value.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

int ForegroundFor(const QString& value)
{
    const Options& o = Opts();
    if (!o.OverRuleCss)
        return ColorValue(ColorOf(value));
    const int index = o.ForeGroundColorIndex;
    if (index < 0 || index >= static_cast<int>(NamedColours.size()))
        RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return ColorValue(ColorOf(QLatin1String(NamedColours[static_cast<size_t>(index)].Name)));
}

} // namespace

StyleProperty StylePropertyOf(QStringView name)
{
    static const std::pair<QLatin1String, StyleProperty> kNames[] = {
        {QLatin1String("text"), StyleProperty::Text},
        {QLatin1String("font-family"), StyleProperty::FontFamily},
        {QLatin1String("font-size"), StyleProperty::FontSize},
        {QLatin1String("font-style"), StyleProperty::FontStyle},
        {QLatin1String("font-weight"), StyleProperty::FontWeight},
        {QLatin1String("text-align"), StyleProperty::TextAlign},
        {QLatin1String("text-ident"), StyleProperty::TextIndent},
        {QLatin1String("text-decoration"), StyleProperty::TextDecoration},
        {QLatin1String("background-color"), StyleProperty::BackgroundColor},
        {QLatin1String("color"), StyleProperty::Color},
    };
    for (const auto& [text, property] : kNames) {
        if (name.compare(text, Qt::CaseInsensitive) == 0)
            return property;
    }
    return StyleProperty::Unknown;
}

void AddStyleEffect(StyleEffect& effect, StyleProperty property, const QString& value, QStringView elementName)
{
    if (value.isEmpty())
        return;
    static constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    const Options& o = Opts();
    switch (property) {
    case StyleProperty::FontFamily: {
        const qsizetype comma = value.indexOf(u',');
        const QString name = o.OverRuleCss ? o.UserFont : (comma < 0 ? value : value.left(comma)).trimmed();
        if (!name.isEmpty()) // no name is no font: the one in force stays
            effect.charFormat.setFontFamilies({name});
        break;
    }
    case StyleProperty::FontSize:
        effect.charFormat.setFontPointSize(FontSizeFor(value, elementName));
        break;
    case StyleProperty::FontStyle:
        effect.charFormat.setFontItalic(Is(value, "italic"));
        break;
    case StyleProperty::FontWeight:
        effect.charFormat.setFontWeight(Is(value, "bold") || Is(value, "bolder") ? QFont::Bold : QFont::Normal);
        break;
    case StyleProperty::TextAlign:
        effect.blockFormat.setAlignment(kAlignments[AlignmentOf(value)]);
        break;
    case StyleProperty::TextIndent:
        effect.blockFormat.setLeftMargin(IndentFor(value) / TextViewer::TwipsPerPixel);
        break;
    case StyleProperty::TextDecoration:
        effect.charFormat.setFontUnderline(Is(value, "underline"));
        break;
    case StyleProperty::BackgroundColor:
        // The sheet's background is the lists' and the view's, set once per
        // build by the display; only the reader's own colour acts here.
        if (o.OverRuleCss)
            effect.viewBackground = o.BackGroundColorValue();
        break;
    case StyleProperty::Color:
        effect.charFormat.setForeground(TextViewer::ToQColor(ForegroundFor(value)));
        break;
    case StyleProperty::Text:
    case StyleProperty::Unknown:
        break;
    }
}

void ApplyStyleEffect(TextViewer& viewer, const StyleEffect& effect)
{
    if (effect.charFormat.propertyCount() > 0)
        viewer.mergeSelCharFormat(effect.charFormat);
    if (effect.blockFormat.propertyCount() > 0)
        viewer.mergeSelBlockFormat(effect.blockFormat);
    if (effect.viewBackground)
        viewer.setBackColor(*effect.viewBackground);
}

void MarkUpRTF(TextViewer& viewer, StyleProperty property, const QString& value, QStringView elementName)
{
    if (value.isEmpty())
        return;
    GuardedVoid("MarkUpRTF", [&] {
        if (property == StyleProperty::Text) {
            viewer.setSelText(SetText(value));
            return;
        }
        StyleEffect effect;
        AddStyleEffect(effect, property, value, elementName);
        ApplyStyleEffect(viewer, effect);
    });
}

void MarkUpRTF(TextViewer& viewer, const QString& property, const QString& value, QStringView elementName)
{
    if (value.isEmpty())
        return;
    MarkUpRTF(viewer, StylePropertyOf(property), value, elementName);
}

QString SetColor(const QString& value)
{
    return Guarded("SetColor", QString(), [&] { return ColorOf(value); });
}

QString SetText(const QString& value)
{
    return Is(value, "crlf") ? QStringLiteral("\r\n") : value;
}

QString SetFontName(const QString& text)
{
    return text.isEmpty() || text == QLatin1String(" 0") ? DefaultField(Style::FontFamily) : text;
}

int16_t SetFontSize(const QString& text)
{
    return Guarded("SetFontSize", int16_t{0}, [&] { return FontSizeOf(text); });
}
