// A polling wait: the calling thread keeps processing its pending events in short steps until the
// loop is told to quit, so windows stay live and queued signals arrive while work runs elsewhere.
#pragma once

#include <QObject>

class CEvtLoop : public QObject {
    Q_OBJECT
public:
    explicit CEvtLoop(QObject* parent = nullptr);

    // Runs until Quit and returns the loop's result (always 0). A loop runs once: every later call,
    // and a call from inside the running loop, returns 0 at once.
    int Exec();
    void Quit();
    bool IsRunning() const { return running_; }
    // The pause between two rounds of event processing; it bounds how late Quit is noticed.
    void SetInterval(int milliseconds) { interval_ = milliseconds; }

private:
    int result_ = 0;
    bool quit_ = false;
    bool running_ = false;
    int interval_ = 10;
};
