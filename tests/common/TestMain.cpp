#include "TestRegistry.h"
#include "desktop/WorkingWindows.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The working windows as the program registers them.
    RegisterWorkingWindows();
    return TestRegistry::runAll(argc, argv);
}
