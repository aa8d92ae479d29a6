#include "render/FoldedFind.h"

#include <algorithm>
#include <array>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool HoldsSurrogates(QStringView text)
{
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i top = _mm_set1_epi16(short(0xf800));
    const __m128i surrogate = _mm_set1_epi16(short(0xd800));
    __m128i any = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        any = _mm_or_si128(any, _mm_cmpeq_epi16(_mm_and_si128(v, top), surrogate));
    }
    if (_mm_movemask_epi8(any) != 0)
        return true;
#endif
    for (; i < n; ++i) {
        if (QChar::isSurrogate(s[i]))
            return true;
    }
    return false;
}

namespace {

// For each ASCII character, whether a character beyond ASCII folds to it, as
// U+212A KELVIN SIGN to k and U+017F LONG S to s do.
const std::array<bool, 128>& FoldedFromBeyondAscii()
{
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> t{};
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            const char32_t folded = QChar::isSurrogate(c) ? c : QChar::toCaseFolded(c);
            if (folded < 0x80)
                t[folded] = true;
        }
        return t;
    }();
    return table;
}

// What a text unit may be to fold to a given one: equal to it after or-ing
// `bits` (0x20 lets an ASCII letter be either case), or, with `beyond`, any
// unit beyond ASCII, which is then folded to be sure. Cheap enough to test
// eight units at a time.
struct UnitFilter {
    char16_t folded = 0;
    char16_t bits = 0;
    bool beyond = false;

    explicit UnitFilter(char16_t f)
        : folded(f), bits(f >= u'a' && f <= u'z' ? 0x20 : 0), beyond(f >= 0x80 || FoldedFromBeyondAscii()[f])
    {}
    // Passes every unit.
    UnitFilter() : folded(0xffff), bits(0xffff) {}

    bool passes(char16_t c) const { return char16_t(c | bits) == folded || (beyond && c >= 0x80); }
};

// The first position from `from` up to `last` where the text's units may begin
// the folded phrase (its first unit passing `first`, the next `second`), or -1.
// Every candidate is still to be checked.
qsizetype NextCandidate(const char16_t* s, qsizetype n, qsizetype from, qsizetype last, const UnitFilter& first,
                        const UnitFilter& second)
{
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i f0 = _mm_set1_epi16(short(first.folded)), b0 = _mm_set1_epi16(short(first.bits));
    const __m128i h0 = _mm_set1_epi16(short(first.beyond ? 0xff80 : 0));
    const __m128i f1 = _mm_set1_epi16(short(second.folded)), b1 = _mm_set1_epi16(short(second.bits));
    const __m128i h1 = _mm_set1_epi16(short(second.beyond ? 0xff80 : 0));
    // A lane passes when it equals after or-ing, or is beyond ASCII where that is allowed.
    auto passes = [&](__m128i v, __m128i f, __m128i b, __m128i h) {
        const __m128i equal = _mm_cmpeq_epi16(_mm_or_si128(v, b), f);
        const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, h), zero);
        return _mm_or_si128(equal, _mm_andnot_si128(ascii, _mm_cmpeq_epi16(zero, zero)));
    };
    // The second unit is read one further on, so the loads stay inside the text.
    for (; i <= last && i + 17 <= n; i += 16) {
        const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
        const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
        const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 9));
        const __m128i m0 = _mm_and_si128(passes(a0, f0, b0, h0), passes(c0, f1, b1, h1));
        const __m128i m1 = _mm_and_si128(passes(a1, f0, b0, h0), passes(c1, f1, b1, h1));
        const unsigned bits = unsigned(_mm_movemask_epi8(m0)) | (unsigned(_mm_movemask_epi8(m1)) << 16);
        if (bits != 0) {
            const qsizetype at = i + std::countr_zero(bits) / 2;
            return at <= last ? at : -1;
        }
    }
#endif
    for (; i <= last; ++i) {
        if (first.passes(s[i]) && (i + 1 >= n || second.passes(s[i + 1])))
            return i;
    }
    return -1;
}

} // namespace

qsizetype IndexOfFolded(QStringView text, QStringView folded, qsizetype from)
{
    const char16_t* s = text.utf16();
    const char16_t* f = folded.utf16();
    const qsizetype n = text.size();
    const qsizetype m = folded.size();
    if (from < 0)
        from = std::max<qsizetype>(from + n, 0);
    const qsizetype last = n - m;
    const UnitFilter first(f[0]);
    const UnitFilter second = m > 1 ? UnitFilter(f[1]) : UnitFilter();
    for (qsizetype at = from; at <= last; ++at) {
        at = NextCandidate(s, n, at, last, first, second);
        if (at < 0)
            return -1;
        qsizetype k = 0;
        while (k < m && FoldedAt(s, n, at + k) == f[k])
            ++k;
        if (k == m)
            return at;
    }
    return -1;
}
