// Runs the test classes of the application shell in one executable.
#include <QApplication>
#include <QLocale>
#include <QTest>

#include <memory>

namespace tarvik {
QObject* MakeFormTest();
QObject* MakePortsTest();
QObject* MakeSettingsFileTest();
} // namespace tarvik

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    int failures = 0;
    for (auto make : {tarvik::MakeFormTest, tarvik::MakePortsTest, tarvik::MakeSettingsFileTest}) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}
