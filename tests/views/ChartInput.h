// Mouse and key input for the charts, delivered straight to the widget, so
// that no window manager or pointer position stands between a test and the
// events it means.
#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

inline void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

inline void press(QWidget* w, QPoint at)
{
    sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
}
inline void dragTo(QWidget* w, QPoint at)
{
    sendMouse(w, QEvent::MouseMove, at, Qt::LeftButton);
}
inline void release(QWidget* w, QPoint at)
{
    sendMouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

// A key's press and release; true when the chart took the release.
inline bool tapKey(QWidget* w, int key, bool autoRepeat = false)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(w, &up);
    return up.isAccepted();
}
