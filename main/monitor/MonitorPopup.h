// What the junk monitor's two pop-ups share: a frameless card that stays on top, shaped by a
// picture, sliding in at the bottom right of the primary screen, hiding itself after a number of
// seconds, and reporting each time it was in sight as one "Result_Popup" usage event.
#pragma once

#include "MonitorSources.h"

#include <QPoint>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTimer;

class CMonitorPopup : public QWidget {
    Q_OBJECT
public:
    // Seconds until the pop-up hides itself; 30 until set. Below one second counts as one.
    void SetDuration(int seconds);
    int Duration() const { return duration_; }

    // Hides a visible pop-up and reports how long it was in sight; a hidden one reports nothing.
    void HideWnd();

protected:
    // window: the usage events' window name; mask: the picture whose opaque part is the card.
    CMonitorPopup(const char* window, QSize size, const QString& mask, std::shared_ptr<IMonitorSources> sources);

    // Where the card starts (just right of the screen) and ends (at its right edge), its bottom on
    // the bottom of the primary screen's available area.
    QPoint SlideStart() const;
    QPoint SlideEnd() const;
    // Takes the card's shape, notes the time and starts the auto-hide timer; the caller shows and
    // animates.
    void StartShowing();

    // The members of the "Result_Popup" attribute after "PopupResult" and "Time".
    virtual std::string ResultAttribute(const std::string& seconds) const;

    QLabel* PictureLabel(const QString& picture, const QRect& place);
    // Fonts differ from the look's: a text wider than its place grows up to room pixels (0: the
    // place's width), and beyond that takes a smaller size, so that it is never cut.
    QLabel* RichLabel(const QString& text, const char* color, int pixelSize, int weight, const QRect& place,
                      int room = 0);
    QPushButton* CloseButton(const QRect& place);
    // The suite's accent button with the corner radius.
    QPushButton* AccentButton(const QString& text, const QRect& place, int radius);

    const char* window_;
    QTimer* autoHideTimer_;

private:
    void TakeShape();

    std::shared_ptr<IMonitorSources> sources_;
    // The shape's picture until the card takes it.
    QString shapePicture_;
    int duration_ = 30;
    uint32_t showTick_ = 0;
};
