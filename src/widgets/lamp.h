// A status light: a small round lamp that is lit or dark, with the colour it shows when lit.
#pragma once

#include <QColor>
#include <QWidget>

namespace tarvik {

class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(QWidget* parent = nullptr);

    bool lit() const { return lit_; }
    void setLit(bool on);
    QColor litColour() const { return litColour_; }
    void setLitColour(const QColor& colour);

    QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool lit_ = false;
    QColor litColour_ = Qt::green;
};

} // namespace tarvik
