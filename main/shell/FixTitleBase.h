// The title strip of every frame window and message dialog of the main program: it drags its
// window, reports the window buttons to its owner, and on the home window carries the main menu
// and the message button. It also owns the program's autostart entry in the machine's Run key.
#pragma once

#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

class CBPMenu;
class CDrawPushButton;
class CMessageBox;
class CMsgCenter;
class CUpdateCheck;
class QAction;

// Show-flag bits of slotSetShowFlags: an element is shown when all of its bits are set.
enum ETitleShowFlag : int {
    TITLE_SHOW_MESSAGE = 0x1,
    TITLE_SHOW_MIN = 0x10,
    TITLE_SHOW_CLOSE = 0x100,
    TITLE_SHOW_MAX = 0x1000,
    TITLE_SHOW_MENU = 0x10000,
    TITLE_SHOW_LOGO = 0x100000,
    TITLE_SHOW_TITLE = 0x1000000,
    TITLE_SHOW_BACK = 0x10000000,
};

// Window-button ids of SigTitleBtnClicked.
enum ETitleButtonId : int {
    TITLE_BTN_MIN = 16,
    TITLE_BTN_CLOSE = 256,
    TITLE_BTN_MAX = 4096,
};

class CFixTitleBase : public QWidget {
    Q_OBJECT
public:
    // style: the look (1 to 7); pageType: the owning frame's page type, 1 in message dialogs.
    CFixTitleBase(int style, int pageType, QWidget* parent);

    virtual void SetTitle(const QString& title);
    virtual void InitUI();

    // Writes (on) or deletes (off) the program's autostart value in the machine's Run key.
    static void SetAutoLaunch(bool on);
    static bool IsAutoLaunch();

signals:
    void SigTitleBtnClicked(int id);
    void UserMgt(int iPage);
    void sigShowSettings();

public slots:
    void slotSetShowFlags(int iCmd);
    void slotCloseDisable(bool bDisable);
    void menuClickSlot(QAction* paction);
    void slotBtnClicked();
    void slotMenu();
    void slotActionAutoUpdateClicked(bool);
    void slotActionUpdateClicked(bool);
    void slotActionAboutClicked(bool);
    void slotActionLogin(bool);
    void slotCurWindowName(const QString& strName);
    void slotLoginSig(int);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

    // The message button of the home window, whose badge shows the messages to read.
    CDrawPushButton* MessageButton() const { return msgButton_; }
    // Where the title bar's dialogs open: its top-left corner in global coordinates plus (80, 48).
    QPoint DialogPosition() const;
    // Keeps the dialog as the last one the title bar opened.
    void SetLastDialog(CMessageBox* dialog);

private:
    void BuildMenu();
    void SizeHalves(QWidget* left, QWidget* right);
    void ReportClose();

    QWidget* window_;
    bool dragging_ = false;
    QPoint dragOffset_;
    QPushButton* closeButton_ = nullptr;
    QPushButton* minButton_ = nullptr;
    QPushButton* maxButton_ = nullptr;
    QPushButton* menuButton_ = nullptr;
    QPushButton* backButton_ = nullptr;
    CDrawPushButton* msgButton_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLabel* logoLabel_ = nullptr;
    CBPMenu* menu_ = nullptr;
    int style_;
    int pageType_;
    QPointer<CMessageBox> lastDialog_;
    // The home window's message centre; null in other title bars.
    CMsgCenter* msgCenter_ = nullptr;
    CUpdateCheck* updateCheck_ = nullptr;
};
