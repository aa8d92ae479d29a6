#pragma once

#include "navigation/NavigationHost.h"

namespace Bench {

// The reading moves without a window: nothing is shown and no sound plays.
struct SilentHost : NavigationHost {
    void focusList(int) override {}
    void focusText() override {}
    void listsChanged() override {}
    void setLocation(const QString&) override {}
    void playSound(const QString&) override {}
    void setNavigationOptions(bool, bool, bool) override {}
    void menuOptionsChanged() override {}
};

} // namespace Bench
