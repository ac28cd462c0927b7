// An up-down control beside a read-only field: two arrow buttons, and the
// arrow keys in the field it is bound to. It holds no value of its own; it
// reports each step as a change of position, which rises downwards as the
// classic control's default range does (the up arrow reports -1).
// Thread safety: the user-interface thread only.
#pragma once

#include <QWidget>

class QToolButton;

class CSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButton(QWidget* parent = nullptr);

    // Up and Down pressed in `buddy` step like the arrows.
    void setBuddy(QWidget* buddy);
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void deltaPos(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
    QWidget* m_buddy = nullptr;
};
