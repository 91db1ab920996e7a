// The session's end as Windows tells it: when the desktop session ends, every top-level window of
// the program is sent WM_QUERYENDSESSION, then WM_ENDSESSION with wParam TRUE, and then the
// program ends, as Windows ends it after that message. The session ends whatever a window answers
// the query: Linux sessions ask no program's consent.
//
// The session tells the program through the session manager's request to commit its data, or
// through the termination signal it sends each process. Once the messages have gone out, a
// second termination signal ends the program at once, as it would have without this watcher.
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

    int signalPipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace platform
