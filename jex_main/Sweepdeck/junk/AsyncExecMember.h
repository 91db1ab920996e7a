// Runs one member function of an object on a worker thread while the calling (GUI) thread keeps
// processing its events, and returns the function's result once the worker has ended. The task is
// what the caller waits on: its Wait and Quit bracket the worker's run.
#pragma once

#include "async/AsynExecT0.h"

#include <QString>

template <class T>
int AsyncExecMember(CAsyncObj* task, T* object, int (T::*member)(), const QString& name = QString())
{
    CAsynExecT0<T> executer(task, name, object, member);
    return executer.Exec();
}
