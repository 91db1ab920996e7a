// The worker bound to one member function of one object (taking nothing, returning int). Pages
// build one on the stack with themselves as task and object and call Exec:
//
//     CAsynExecT0<CSelectScanPage> executer(this, "scan", this, &CSelectScanPage::DoScan);
//     const int result = executer.Exec();
#pragma once

#include "BaseAsyncExecuter.h"

#include <utility>

template <class T, class TMember = int (T::*)()>
class CAsynExecT0 : public CBaseAsyncExecuter {
public:
    CAsynExecT0(CAsyncObj* task, QString name, T* object, TMember member)
        : CBaseAsyncExecuter(task, std::move(name)), object_(object), member_(member)
    {
    }

    ~CAsynExecT0() override { JoinWorker(); }

protected:
    void run() override { SetResult((object_->*member_)()); }

private:
    T* object_;
    TMember member_;
};
