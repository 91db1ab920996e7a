#include "support/ApplicationRunPerTest.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace testing_support {

namespace {

// Whether the application's run was ended outside of it: an event loop then ends at once with -1.
bool RunWasEnded()
{
    QEventLoop probe;
    QTimer::singleShot(0, &probe, [&probe] { probe.exit(0); });
    return probe.exec() == -1;
}

} // namespace

void ApplicationRunPerTest::OnTestEnd(const testing::TestInfo&)
{
    if (!RunWasEnded())
        return;
    // The application's own run clears the flag as it begins and again once it is over.
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void ApplicationRunPerTest::Install()
{
    testing::UnitTest::GetInstance()->listeners().Append(new ApplicationRunPerTest);
}

} // namespace testing_support
