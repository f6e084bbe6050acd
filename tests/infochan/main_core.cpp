// Runs the tests of the information channel's packet decoding and stream receiver.
#include "runtests.h"

#include <QCoreApplication>

QObject* MakeInfoChanPacketTest();
QObject* MakeInfoChanReceiverTest();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvik::RunTests({MakeInfoChanPacketTest, MakeInfoChanReceiverTest}, argc, argv);
}
