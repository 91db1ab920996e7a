// An animated tool card for a home page: an icon and a caption on a dark gradient, rising two
// pixels while the mouse is over it and reporting a press with its index; and a frame meant to
// hold such cards. No page of the program makes either.
#pragma once

#include <QColor>
#include <QFrame>
#include <QList>
#include <QMap>

class QLabel;
class QPropertyAnimation;

class CHomeCard : public QFrame {
    Q_OBJECT
public:
    CHomeCard(int index, QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    void SetIcon(const QString& name);
    void SetColumn(int column);
    void SetGlowColor(const QColor& color);
    void AddStateColor(const QColor& color);
    // Accepted only when greater than 0 and less than half the card's width.
    void SetGlowWidth(int width);

    bool IsChecked() const { return m_bChecked; }
    int GlowWidth() const { return m_glowWidth; }

signals:
    void clicked(int iCard);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint RestingPos() const;
    QPoint RaisedPos() const;
    void ShowIcon(const char* state);

    QLabel* m_caption;
    QLabel* m_icon;
    QString m_iconName;
    bool m_bChecked = false;
    bool m_bHovered = false;
    int m_column = 0;
    QColor m_glowColor {Qt::black};
    QList<QColor> m_stateColors;
    int m_glowWidth = 6;
    int m_index;
    bool m_bRisePrepared = false;
    QPropertyAnimation* m_rise;
};

class CHomeCards : public QFrame {
    Q_OBJECT
public:
    explicit CHomeCards(QWidget* parent = nullptr);

private:
    QMap<int, CHomeCard*> m_cards;
};
