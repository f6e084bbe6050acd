// Runs the test classes of the measurements in one executable.
#include <QApplication>
#include <QTest>

#include <memory>

QObject* MakeDecodeTest();
QObject* MakeMeasurePageTest();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (auto make : {MakeDecodeTest, MakeMeasurePageTest}) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}
