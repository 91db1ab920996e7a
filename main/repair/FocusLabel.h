// A selectable row with an optional icon and a text; the rows of one group keep at most one of
// them focused. No window of the program makes one.
#pragma once

#include <QColor>
#include <QList>
#include <QPointer>
#include <QWidget>

class QLabel;

class CFocusLabel : public QWidget {
    Q_OBJECT
public:
    CFocusLabel(const QString& text, QWidget* parent = nullptr);

    void SetIconPath(const QString& path);
    void SetGroup(const QList<CFocusLabel*>& group);
    void SetText(const QString& text);
    QString GetText() const;

    bool IsFocused() const { return m_bFocused; }
    // Focusing a row unfocuses the other rows of its group.
    void SetFocused(bool focused);

signals:
    void FocusChanged(CFocusLabel* focusLabel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QLabel> m_label;
    QString m_iconPath;
    QColor m_focusedText {QStringLiteral("#1b9cff")};
    QColor m_normalText {QStringLiteral("#333333")};
    QColor m_focusedBackground {QStringLiteral("#e6e6e6")};
    QColor m_normalBackground {QStringLiteral("#ffffff")};
    QList<CFocusLabel*> m_group;
    bool m_bFocused = false;
};
