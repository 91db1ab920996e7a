// The community log-in page (page type 7): a side panel beside a stack of the log-in form (with
// the forgotten-password link) and the sign-up view. A log-in is remembered in "localcfg.ini"
// and announced with sigLogin(8); it unlocks nothing else.
#pragma once

#include "BgRunThread.h"
#include "ErrorTips.h"
#include "FixPageBase.h"
#include "UserHelper.h"
#include "WaitButtonEx.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedLayout>
#include <QTimer>

#include <memory>

class CLoginWidget : public CFixPageBase {
    Q_OBJECT
public:
    CLoginWidget(int pageType, QWidget* parent);
    ~CLoginWidget() override;

signals:
    // 8 after a successful log-in.
    void sigLogin(int);
    // The log-in button's answer: false leaves the task unstarted, true runs it.
    void sigStartLoginThd(bool);

public slots:
    void slotLoginClicked();
    void slotContentChange(const QString& text);
    void slotForgotPwd();
    void slotThreadFinished();
    void slotLoginThreadFinished();
    // 8 (logged out) empties the form.
    void slotClearLogin(int);
    void slotSwitchRegit();
    void slotTimer();
    void slotTitleClicked(int iBtn);
    void slotRestoreLoginPage();

private:
    void BuildPage();
    QWidget* BuildForm();
    void HideTips();
    // Both fields back to the normal style and every tip hidden.
    void ResetForm();
    void RememberLogin();

    QPointer<QLabel> title_;
    QPointer<QLineEdit> email_;
    QPointer<CErrorTips> emailTip_;
    QPointer<QLineEdit> password_;
    QPointer<CErrorTips> passwordTip_;
    QPointer<QPushButton> forgotButton_;
    QPointer<CErrorTips> sendFailTip_;
    QPointer<CErrorTips> resetLinkTip_;
    QPointer<CWaitButtonEx> loginButton_;
    QPointer<CBgRunThread> forgotWorker_;
    QPointer<QPushButton> registButton_;
    QPointer<QTimer> countdown_;
    // A log-in attempt: the task's record and what the task returned, which the record alone does
    // not tell (a reply that accepts the log-in but lacks its user leaves the service's 114 there).
    struct SLoginAttempt {
        S_LOGIN_INFO info;
        int result = 0;
    };
    static int RunLogin(void* attempt);
    // Made with the form and reused for every attempt. A page going away while a log-in runs
    // leaves the attempt to the task rather than free it under it.
    std::unique_ptr<SLoginAttempt> login_;
    bool loginRunning_ = false;
    QPointer<QStackedLayout> stack_;
};
