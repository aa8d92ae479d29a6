#include "package/ui/frmEncryption.h"
#include "render/ui/frmDefaultStyleSheet.h"
#include "settings/modLanguage.h"
#include "settings/ui/FormLanguage.h"
#include "settings/ui/frmOptions.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// FormLanguage skips a control a window lacks, so a name in its table that no
// window builds would leave a control without its text unnoticed.
TEST(WindowTextsTest, EveryControlTheTextTableNamesExistsInTheRealWindow)
{
    LoadLang(QStringLiteral("English"));
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<frmOptions>());
    windows.push_back(std::make_unique<frmDefaultStyleSheet>());
    windows.push_back(std::make_unique<frmEncryption>());
    for (const auto& window : windows) {
        const QString name = window->objectName();
        const QStringList controls = FormLanguageControls(name);
        EXPECT_FALSE(controls.isEmpty()) << name.toStdString();
        for (const QString& control : controls)
            EXPECT_NE(window->findChild<QObject*>(control), nullptr)
                << name.toStdString() << ": " << control.toStdString();
    }
}

} // namespace
