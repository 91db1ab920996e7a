// The sign-up view of the log-in page: the user enters an e-mail address and the service mails a
// confirmation link. The "Sign up" button then counts down 60 seconds before it offers "Re-send".
#pragma once

#include "BgRunThread.h"
#include "ErrorTips.h"
#include "FixPageBase.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

class CRegistWidget : public CFixPageBase {
    Q_OBJECT
public:
    CRegistWidget(int pageType, QWidget* parent);
    ~CRegistWidget() override;

signals:
    // 7: the user already has an account and wants the log-in form.
    void sigLogin(int);

public slots:
    void slotSigClicked();
    void slotIsExistAccountClicked();
    void slotTimer();
    void slotThreadFinished();
    void slotContentChange(const QString& text);

private:
    void BuildPage();
    void HideTips();
    std::string SignupAttribute(const std::string& result) const;

    QPointer<QLabel> title_;
    QPointer<QLineEdit> email_;
    QPointer<CErrorTips> confirmTip_;
    QPointer<CErrorTips> errorTip_;
    QPointer<QPushButton> existButton_;
    QPointer<QPushButton> signButton_;
    QPointer<CBgRunThread> worker_;
    QPointer<QTimer> countdown_;
};
