#include "linkeffects.h"

#include "lamp.h"
#include "modbuslink.h"

#include <QLabel>
#include <QLineEdit>

namespace tarvik {

namespace {

void setText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
}

} // namespace

void ApplyLinkEffects(ModbusLink& link, QWidget* root) {
    QObject::connect(&link, &ModbusLink::controlEnabled, root,
                     [root](const QString& name, bool on) {
                         if (auto* w = root->findChild<QWidget*>(name)) w->setEnabled(on);
                     });
    QObject::connect(&link, &ModbusLink::controlShown, root, [root](const QString& name, bool on) {
        if (auto* w = root->findChild<QWidget*>(name)) w->setVisible(on);
    });
    QObject::connect(&link, &ModbusLink::controlText, root,
                     [root](const QString& name, const QString& text) {
                         if (auto* w = root->findChild<QWidget*>(name)) setText(w, text);
                     });
    QObject::connect(&link, &ModbusLink::lampLit, root, [root](const QString& name, bool lit) {
        if (auto* lamp = root->findChild<Lamp*>(name)) lamp->setLit(lit);
    });
    QObject::connect(&link, &ModbusLink::lampColour, root,
                     [root](const QString& name, Qt::GlobalColor colour) {
                         if (auto* lamp = root->findChild<Lamp*>(name)) lamp->setLitColour(colour);
                     });
    QObject::connect(&link, &ModbusLink::statusText, root, [root](const QString& text) {
        if (auto* panel = root->findChild<QLabel*>(QStringLiteral("StatusBarPanel1")))
            panel->setText(text);
    });
}

} // namespace tarvik
