// Runs the test classes of the application shell in one executable.
#include "runtests.h"

#include <QApplication>
#include <QLocale>

namespace tarvik {
QObject* MakeFormTest();
QObject* MakePortsTest();
QObject* MakeSettingsFileTest();
} // namespace tarvik

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvik"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return tarvik::RunTests({tarvik::MakeFormTest, tarvik::MakePortsTest,
                             tarvik::MakeSettingsFileTest},
                            argc, argv);
}
