// The junk-found pop-up: slides in at the bottom right when a background analysis found at least
// the chosen amount of junk, shows the amount, offers "Clean up" and hides itself after its
// duration. Usage events go to the window "JunkFileRemind".
#pragma once

#include "MonitorPopup.h"

class QPropertyAnimation;

class CGarbageCleanWnd : public CMonitorPopup {
    Q_OBJECT
public:
    explicit CGarbageCleanWnd(std::shared_ptr<IMonitorSources> sources = nullptr);

    // The amount as shown ("1.25 GB"), also reported when the pop-up hides.
    void SetSizeText(const QString& text);
    QString SizeText() const { return sizeText_; }
    // Slides in; showing it again restarts the slide, the time and the auto-hide timer.
    void ShowWnd();

signals:
    void sigClean();
    void sigClose();

private slots:
    void OnCloseClicked();
    void OnCleanClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    std::string ResultAttribute(const std::string& seconds) const override;

private:
    QLabel* sizeLabel_;
    QPropertyAnimation* slide_;
    QString sizeText_;
};
