#include "OwnXServer.h"

#include "support/WaitUntil.h"

#include <QTest>

COwnXServer::COwnXServer()
{
    server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                           QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                           QStringLiteral("640x480x24")});
    started_ = server_.waitForStarted(5000);
    if (started_ && QTest::qWaitFor([this] { return server_.canReadLine(); }, testing_support::kPatience.count()))
        display_ = ":" + server_.readLine().trimmed();
}

COwnXServer::~COwnXServer()
{
    server_.terminate();
    server_.waitForFinished(5000);
}
