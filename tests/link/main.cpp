// Runs the test classes of the link core in one executable.
#include <QCoreApplication>
#include <QTest>

#include <memory>

QObject* MakeFramesTest();
QObject* MakeReceptionTest();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (auto make : {MakeFramesTest, MakeReceptionTest}) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}
