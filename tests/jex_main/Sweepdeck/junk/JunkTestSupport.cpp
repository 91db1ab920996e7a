#include "JunkTestSupport.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace junk_test {

void UseBuildProgramFolder() { platform::SetProgramFolder(testing_support::BuildProgramFolder()); }

bool WaitUntil(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

} // namespace junk_test
