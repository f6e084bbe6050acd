// The value-entry window "Введите значение" of the metrology calibration. Created hidden with
// the main window and shown on demand.
#pragma once

#include <QWidget>

namespace tarvik {

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

} // namespace tarvik
