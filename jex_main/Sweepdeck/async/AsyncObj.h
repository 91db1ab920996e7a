// The task side of asynchronous execution: a page, model or tray whose member functions run on a
// worker thread derives from it. Its Wait and Quit run and end the polling loop the caller waits in.
#pragma once

#include "EvtLoop.h"

#include <QString>

class CAsyncObj {
public:
    CAsyncObj() = default;
    virtual ~CAsyncObj() = default;
    CAsyncObj(const CAsyncObj&) = delete;
    CAsyncObj& operator=(const CAsyncObj&) = delete;

    // A null loop means the object's own loop. Wait returns 0 at once when the loop already runs
    // (or once ran); otherwise it polls events until the loop quits and returns its result.
    virtual int Wait(CEvtLoop* loop);
    // Ends the loop when it runs; always 0.
    virtual int Quit(CEvtLoop* loop);
    virtual void SetName(QString name);
    virtual QString GetName();

private:
    CEvtLoop* LoopOf(CEvtLoop* loop) { return loop ? loop : &loop_; }

    QString name_;
    CEvtLoop loop_;
};
