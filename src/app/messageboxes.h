// The program's message boxes on QMessageBox.
#pragma once

#include "messages.h"

namespace tarvik {

class MessageBoxes : public Messages {
public:
    // A box without caption and with one OK button.
    void plain(const QString& text) override;
    // The information box with the application's name as caption.
    void information(const QString& text) override;
    // The error display: the application's name as caption, the error icon, OK.
    void error(const QString& text) override;
};

} // namespace tarvik
