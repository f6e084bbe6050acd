// Runs the tests of the information channel's packet decoding and stream receiver.
#include <QCoreApplication>
#include <QTest>

#include <memory>

QObject* MakeInfoChanPacketTest();
QObject* MakeInfoChanReceiverTest();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (auto make : {MakeInfoChanPacketTest, MakeInfoChanReceiverTest}) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}
