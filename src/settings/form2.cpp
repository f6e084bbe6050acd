#include "form2.h"

namespace tarvik {

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Введите значение"));
    setFixedSize(261, 61);
}

} // namespace tarvik
