// Runs the test classes of the measurements in one executable.
#include "runtests.h"

#include <QApplication>

QObject* MakeDecodeTest();
QObject* MakeMeasurePageTest();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return tarvik::RunTests({MakeDecodeTest, MakeMeasurePageTest}, argc, argv);
}
