// The library's message box: a frameless dark dialog with an optional icon, a title line, a text,
// an optional check box and one button per caption. It answers the pressed button's index in bits
// 0-15 (0xFFFF when it was closed without a button) and the check box's state in bit 16.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>

class CCheckBox;
class CFrameTitle;
class CIndexBtn;
class QHBoxLayout;
class QLabel;

class CMsgBox : public QDialog {
    Q_OBJECT
public:
    // The answer of a box closed through its title bar, the window system or Escape.
    static constexpr int kClosed = 0xFFFF;
    // Icon kinds; any other kind shows no icon.
    enum IconKind { IconInfo = 0, IconAlert = 1, IconError = 2 };

    // Shows a modal box and returns the answer. parent may be null; otherwise the box is modal to
    // parent's window and placed 70 pixels right of and 10 pixels above parent's top-left corner.
    static int ShowMsg(QWidget* parent, int iconKind, QString caption, QString title, QString content,
                       QStringList buttons);
    // The same with checkBox shown at the bottom left (null: as ShowMsg). The box takes it and
    // destroys it before returning: read its state from the answer.
    static int ShowCheckMsg(QWidget* parent, int iconKind, QString caption, QString title, QString content,
                            QStringList buttons, CCheckBox* checkBox);

    static bool IsChecked(int result) { return (static_cast<unsigned>(result) & 0xFFFF0000u) != 0; }
    static int ButtonIndex(int result) { return result & 0xFFFF; }

    explicit CMsgBox(QWidget* parent);

    void SetIcon(int kind);
    void SetText(const QString& caption, const QString& title, const QString& content);
    void AddCheckBox(CCheckBox* checkBox);
    void AddButtons(const QList<CIndexBtn*>& buttons);

    // Escape closes the box like its close button: no button was chosen.
    void reject() override;

public slots:
    void onBtnClicked();
    void TitleBtnClick(int btnId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* content_ = nullptr;
    QHBoxLayout* checkRow_ = nullptr;
    QHBoxLayout* buttonRow_ = nullptr;
    int result_ = kClosed;
    QPointer<CCheckBox> checkBox_;
    CFrameTitle* titleBar_ = nullptr;
    // The room of the drop shadow around the box where the desktop shows it, else none.
    int shadow_ = 0;
};
