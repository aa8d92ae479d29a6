#include "search/SearchChoices.h"

namespace {
SearchChoices g_choices;
} // namespace

SearchChoices& Choices()
{
    return g_choices;
}

void ResetSearchChoices()
{
    g_choices = SearchChoices{};
}
