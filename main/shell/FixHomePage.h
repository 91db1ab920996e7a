// The page of the main window: the home tool cards and the system-disk gauge above a strip with the
// product manager's letter link and the community button. It builds one frame window per tool
// page type when it is built, keeps them for the whole run and runs the matching one modally. It
// also opens the junk monitor's settings dialog and passes its choices on to the monitor.
#pragma once

#include "FixPageBase.h"

#include <QMap>
#include <QPushButton>

class CFixFrameBase;
class CGarbageScanMgr;
class CHomeBasePage;
class CSetWidget;

class CFixHomePage : public CFixPageBase {
    Q_OBJECT
public:
    explicit CFixHomePage(QWidget* parent);

    void InitUI() override;
    void SetScanMgr(CGarbageScanMgr* scanMgr);
    // Open the system clean-up frame and start a junk analysis, or a clean-up, in it.
    void RequestScan();
    void RequestClean();
    void CreateToolFrame(int pageType);
    CFixFrameBase* GetToolFrame(int pageType) const { return frames_.value(pageType); }
    CHomeBasePage* GetHomeBasePage() const { return basePage_; }

signals:
    void RestoreLoginPage();

public slots:
    void OpenSettings();
    void SetShowAssit(bool show);
    void SetShowClean(bool show);
    void SetCleanLv(int lv);
    void slotLoginPress();
    void slotLoginSig(int state);
    void ShowLetterSlot();
    // Runs the tool frame of the page type modally and returns its result; 0 at once when there
    // is no such frame or the frame has no page.
    int ShowCustmsPage(int iPageId);
    void slotLoginActionClicked(int action);
    void slotUpdateHomeDisk(bool working);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildBottomStrip();
    void PlaceToolFrame(int pageType, CFixFrameBase* frame) const;

    QMap<int, CFixFrameBase*> frames_;
    QPushButton* designButton_ = nullptr;
    CGarbageScanMgr* scanMgr_ = nullptr;
    CHomeBasePage* basePage_ = nullptr;
    QPushButton* letterLink_ = nullptr;
    CSetWidget* setWidget_ = nullptr;
    bool pendingScan_ = false;
    bool pendingClean_ = false;
};
