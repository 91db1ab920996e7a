// The small modal dialog the File Showing page shows while the file-system fix runs: it starts the
// fix on its own thread and closes when that thread ends. Close requests (the Escape key, the
// window system) are ignored while the thread runs, so the dialog never goes before its task.
#pragma once

#include <QDialog>
#include <QThread>

class QLabel;

typedef int (*FixTaskFunc)(void* data);

class _FixRunThread : public QThread {
    Q_OBJECT
public:
    explicit _FixRunThread(QObject* parent);

    void SetTask(FixTaskFunc task, void* data);

protected:
    void run() override;

private:
    FixTaskFunc m_task = nullptr;
    void* m_data = nullptr;
};

class CFixingDialog : public QDialog {
    Q_OBJECT
public:
    explicit CFixingDialog(QWidget* parent);

    // Runs the task on the dialog's thread and the dialog modally until the task has ended.
    void Start(FixTaskFunc task, void* data);
    // Centres the dialog horizontally over a widget of that width whose top-left corner is the
    // point, 10 px above it.
    void MoveAbove(QPoint point, int width);

public slots:
    void done(int result) override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_animation;
    QLabel* m_text;
    _FixRunThread* m_thread;
};
