// main() for tests of the core libraries: a QGuiApplication, since text
// layout and fonts need the GUI module, but no widgets.
#include "tests/support/TestRun.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    return RunTestsUnder<QGuiApplication>(argc, argv);
}
