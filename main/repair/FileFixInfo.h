// The information icon beside the File Showing page's "Check and fix file system error" option:
// while the mouse is over it, a tip window says that the check takes time. Hovering two seconds or
// more counts as reading the tip.
#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;

class _FixTip : public QWidget {
    Q_OBJECT
public:
    _FixTip();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_text;
};

class CFileFixInfo : public QWidget {
    Q_OBJECT
public:
    explicit CFileFixInfo(QWidget* parent = nullptr);
    ~CFileFixInfo() override;

    _FixTip* Tip() const { return m_tip; }

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    _FixTip* m_tip;
    bool m_bHovered = false;
    uint32_t m_enterTick = 0;
};
