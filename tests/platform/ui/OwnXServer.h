// An X server of the test's own: an Xvfb on a display it chooses itself, ended with the object.
#pragma once

#include <QByteArray>
#include <QProcess>

class COwnXServer {
public:
    COwnXServer();
    ~COwnXServer();

    // False where Xvfb cannot be started at all.
    bool Started() const { return started_; }
    // ":n", once the server has named its display; empty if it never did.
    const QByteArray& Display() const { return display_; }

private:
    QProcess server_;
    bool started_ = false;
    QByteArray display_;
};
