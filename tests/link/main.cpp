// Runs the test classes of the link core in one executable.
#include "runtests.h"

#include <QCoreApplication>

QObject* MakeFramesTest();
QObject* MakeReceptionTest();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvik::RunTests({MakeFramesTest, MakeReceptionTest}, argc, argv);
}
