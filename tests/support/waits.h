// Waiting in tests for something the event loop brings about: a page that
// has loaded, a window that has moved, a file a timer writes. Header only.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace korvane::test {

// Waits in short slices until `done` holds; false after `timeoutMs`. (A long
// QTest::qWaitFor slice can keep processing the engine's events well past the
// moment the condition came true.)
template <class Predicate>
bool WaitUntil(Predicate done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

// Waits until `done` holds, running the event loop the way the program's own
// loop runs it; false after `timeoutMs`. (QTest::qWaitFor sleeps between
// batches of events, and the engine, whose browser side runs on this thread
// one small task at a time, then takes seconds to load a page, longer than
// the program's page timer.)
template <class Predicate>
bool Eventually(Predicate done, int timeoutMs = 5000) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    bool met = false;
    bool checking = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (checking) return;  // a check that runs script waits in a loop of its own
        checking = true;
        met = done();
        checking = false;
        if (met || clock.elapsed() > timeoutMs) loop.quit();
    });
    poll.start(5);
    loop.exec();
    return met;
}

}  // namespace korvane::test
