#pragma once

#include <QPushButton>

namespace tolvanex {

// A push button whose caption wraps onto several lines when it does not fit, the way a classic
// command button shows it.
class WrapButton : public QPushButton {
    Q_OBJECT
public:
    WrapButton(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tolvanex
