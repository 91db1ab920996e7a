// The title strip of the library's frameless dialogs: icon, caption and a close button; dragging
// it moves the dialog.
#pragma once

#include <QFrame>
#include <QPoint>
#include <QPointer>

class QLabel;
class QPushButton;

class CFrameTitle : public QFrame {
    Q_OBJECT
public:
    // window: the dialog the bar heads, its parent and the window it moves.
    explicit CFrameTitle(QWidget* window);

    void SetTitle(const QString& text);
    void ShowIcon(bool show);
    // Closes the bar itself, not the window it heads.
    virtual void CloseTitle();

signals:
    // 1: the close button was clicked.
    void TitleBtnClicked(int);

public slots:
    void BtnClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPointer<QWidget> window_;
    QLabel* text_ = nullptr;
    QLabel* icon_ = nullptr;
    QPushButton* closeBtn_ = nullptr;
    bool dragging_ = false;
    QPoint dragOffset_;
};
