// Runs the event loop until a condition holds or the time is up, for GUI
// tests that wait on timers and the live-data reader.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

template <class F>
bool eventually(F&& f, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!f()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
