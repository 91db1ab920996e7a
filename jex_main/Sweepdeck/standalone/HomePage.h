// The stand-alone window's first page: a greeting, the three clean-up tools as large picture
// buttons with the description of the one under the mouse, and the Settings button.
#pragma once

#include "wizard/Page.h"

#include <QString>

class CHomeLargeBtn;
class QLabel;

// The Windows folder of the running program (its module file name up to the last backslash, that
// backslash left out); empty when the module name cannot be read.
QString GetAppDirPath();

class CHomePage : public CPage {
    Q_OBJECT
public:
    CHomePage();
    ~CHomePage() override;

    bool IsStartPage() override;
    QWidget* CreateContent() override;
    QVector<CFuncBtn*> CreateFuncBtns(Qt::Alignment* align) override;
    QVector<CNavigateBtn*> CreateNavBtns() override;
    int OnFuncBtn(int id) override;

    QLabel* DescriptionLabel() const { return description; }
    CHomeLargeBtn* ToolButton(int entry) const;

public slots:
    void onGarbage();
    void onLargeFile();
    void onDiskOptimization();
    void onBtnEnter(QEvent* pEvent);
    void onBtnLeave(QEvent* pEvent);

private:
    void Choose(int entry);

    QLabel* description = nullptr;
    CHomeLargeBtn* buttons[3] = {};
    bool operated = false;
};
