// Makes the program's top-level windows known to the machine: a window that is shown is published
// under its title (and stays known, hidden or shown, until its native window goes), and the
// program's message port opens with the first one, so that other processes find the window and
// reach its native event handling.
#pragma once

#include "WindowRecords.h"

#include <QObject>

#include <map>
#include <memory>
#include <string>

class QGuiApplication;
class QWindow;

namespace platform {

class CMessagePort;

class CWindowPublisher : public QObject {
    Q_OBJECT
public:
    explicit CWindowPublisher(QGuiApplication* app);
    ~CWindowPublisher() override;

    // The thread that handles the program's window messages.
    static DWORD GuiThreadId();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Published {
        WindowRecord record;
        std::string path; // "" while the record could not be written
    };

    void Publish(QWindow* window);
    // The record goes with the native window; forget: the window itself goes.
    void Withdraw(QWindow* window, bool forget);
    void OpenPort();

    std::map<QWindow*, Published> published_;
    std::unique_ptr<CMessagePort> port_;
    std::string portFolder_;
};

} // namespace platform
