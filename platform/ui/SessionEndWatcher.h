// The session's end as Windows tells it: when the desktop session ends, every top-level window of
// the program is sent WM_QUERYENDSESSION, then WM_ENDSESSION with wParam TRUE, and then the
// program ends, as Windows ends it after that message. The session ends whatever a window answers
// the query: Linux sessions ask no program's consent.
//
// The session tells the program through the session manager's request to commit its data, or
// through the termination signal it sends each process. Once the end has been asked for, a second
// termination signal ends the program at once, as it would have without this watcher.
//
// The end is kept until the program's main loop (QCoreApplication::exec) has ended: the request
// ends every loop running when it comes, and every main loop that starts after it, so that a
// request heard in a dialog's loop before the main loop runs still ends the program. The windows
// hear the messages once, as the main loop ends, after the program's start has done its work.
#pragma once

#include <QObject>

class QGuiApplication;
class QSocketNotifier;

namespace platform {

class CSessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit CSessionEndWatcher(QGuiApplication* app);
    ~CSessionEndWatcher() override;

private:
    void EndSession();
    void EndLoops();
    void TellWindows();

    int signalPipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool requested_ = false;
    bool told_ = false;
};

} // namespace platform
