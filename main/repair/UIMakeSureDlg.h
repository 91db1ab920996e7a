// A frameless confirmation dialog: a title, a content text with animated dots and a row of
// buttons given by id. No window of the program makes one.
#pragma once

#include <QDialog>
#include <QMap>

class QLabel;
class QPushButton;
class CBPEllipsisGifLabel;
class CBPLabel;

class CUIMakeSureDlg : public QDialog {
    Q_OBJECT
public:
    // The kind has no effect; buttons are made in ascending id order, the highest id last.
    CUIMakeSureDlg(int kind, const QString& title, const QString& content, const QMap<int, QString>& buttons,
                   QWidget* parent = nullptr);

    // Runs only under a visible parent; returns the pressed button's id, or -1.
    int RunModal();
    void SetContent(const QString& content);
    void SetButtonText(int id, const QString& text);
    void ShowDots(bool show);

signals:
    void BtnClicked(int id);

public slots:
    void BtnClickSlot();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_icon;
    CBPLabel* m_title;
    CBPLabel* m_content;
    CBPEllipsisGifLabel* m_dots;
    QMap<int, QPushButton*> m_buttons;
    int m_result = -1;
};
