// The e-mail requests of the account pages (sign-up and the forgotten-password e-mail): each runs
// on a worker of its own with a record of its own, which the page reads once the worker ends.
#pragma once

#include "BgRunThread.h"

#include <QPointer>
#include <QString>

#include <functional>

// Unless the worker still runs, starts a new one running the task on a new S_REGIST_INFO holding
// the e-mail; its finished() calls onFinished in the context's thread.
void StartMailTask(QPointer<CBgRunThread>& worker, BgTaskFunc task, const QString& email, QObject* context,
                   const std::function<void()>& onFinished);

// The result code of the worker's finished task; frees its record and the worker and clears the
// pointer. False (nothing freed) when there is no worker or it still runs.
bool TakeMailResult(QPointer<CBgRunThread>& worker, int& code);

// For a page going away: a finished task is freed now, a running one frees its record and worker
// when it ends.
void ReleaseMailTask(QPointer<CBgRunThread>& worker);
