// The start-up assistant: a tall card that slides in at the bottom right once per run with the
// day's picture and text, fading the picture in while it slides, and offering "Clean up", which
// has the monitor bring up the main window and analyse junk. Usage events go to the window
// "StartupAssistant".
#pragma once

#include "MonitorPopup.h"

#include <QPixmap>

class QParallelAnimationGroup;

class CStarUpWnd : public CMonitorPopup {
    Q_OBJECT
public:
    explicit CStarUpWnd(std::shared_ptr<IMonitorSources> sources = nullptr);

    void SetPixmap(const QPixmap& picture);
    // Shown as plain text: the day's text comes from a downloaded pack.
    void SetText(const QString& text);
    QString Text() const { return text_; }
    const QPixmap& Pixmap() const { return picture_; }
    void ShowWnd();

signals:
    void sigHide();
    void sigScan();

private slots:
    void OnCloseClicked();
    void OnCleanClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildAnimation();

    QPixmap picture_;
    QString text_;
    QLabel* textLabel_;
    QPushButton* closeButton_;
    QParallelAnimationGroup* animation_;
    int pictureOpacity_ = 100;
};
