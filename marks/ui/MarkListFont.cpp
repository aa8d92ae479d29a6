#include "marks/ui/MarkListFont.h"

#include "app/core/ErrorConvention.h"
#include "render/StyleApplier.h"
#include "render/TextState.h"
#include "render/modCss2RTF.h"

#include <algorithm>

QFont MarkListFont(const QFont& base)
{
    return Guarded("ListFont", base, [&] {
        const std::vector<StyleRecord>& table = StyleTable();
        if (table.empty())
            return base;
        const StyleRecord* defaults = &table.front();
        const size_t last = std::min(static_cast<size_t>(std::max(StyleCount(), 0)), table.size() - 1);
        for (size_t r = 0; r <= last; ++r) {
            if (table[r][Style::Name].compare(QLatin1String("default"), Qt::CaseInsensitive) == 0)
                defaults = &table[r];
        }
        QFont font = base;
        font.setFamilies({SetFontName((*defaults)[Style::FontFamily])});
        font.setPointSize(std::max(SetFontSize((*defaults)[Style::FontSize]) + Txt().FontSizeOffset, 8));
        return font;
    });
}
