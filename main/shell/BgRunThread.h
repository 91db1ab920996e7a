// A worker thread that runs one plain task function with one data pointer. The owner connects
// finished() and starts it; the task reports only through its data record.
#pragma once

#include <QThread>

typedef int (*BgTaskFunc)(void* data);

class CBgRunThread : public QThread {
    Q_OBJECT
public:
    CBgRunThread(BgTaskFunc task, void* data);

    void* GetData() const { return data_; }

protected:
    void run() override;

private:
    BgTaskFunc task_;
    void* data_;
};
