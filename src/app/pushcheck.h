#pragma once

#include <QPushButton>

// A toggle button used as a push button: a press checks it, and the handler of the toggle takes
// the press with TakePress() before it acts. Setting the button back notifies once more, nested,
// and that notification finds nothing to take. Draws its icon above its caption.
class PushCheck : public QPushButton
{
    Q_OBJECT

public:
    PushCheck(const QIcon &icon, const QString &caption, QWidget *parent = nullptr);

    // True when the button is down; it is then set up before this returns.
    bool TakePress();

protected:
    void paintEvent(QPaintEvent *event) override;
};
