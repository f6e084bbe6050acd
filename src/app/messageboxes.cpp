#include "messageboxes.h"

#include <QApplication>
#include <QMessageBox>

namespace tarvik {

namespace {

void show(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    // The window the user works in owns the box, so it stays in front of it.
    QMessageBox box(icon, caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace

void MessageBoxes::plain(const QString& text) {
    show(QMessageBox::NoIcon, QString(), text);
}

void MessageBoxes::information(const QString& text) {
    show(QMessageBox::Information, QApplication::applicationName(), text);
}

void MessageBoxes::error(const QString& text) {
    show(QMessageBox::Critical, QApplication::applicationName(), text);
}

} // namespace tarvik
