// main() for tests of the windows.
#include "tests/support/TestRun.h"

#include <QApplication>

int main(int argc, char** argv)
{
    return RunTestsUnder<QApplication>(argc, argv);
}
