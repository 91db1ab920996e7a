// The base of every clean-up page: a header with the page's navigation and function buttons above
// the page's content. A concrete page builds its parts in the virtual operations below and calls
// InitPage at the end of its own constructor.
#pragma once

#include "kit/PageTitleInfo.h"

#include <QPointer>
#include <QVector>
#include <QWidget>

class CFuncBtn;
class CNavigateBtn;
class CPageTitle;
class QVBoxLayout;

// Page ids. 0 as a target means "stay"; -1 means the current page (look-up) or no page (switch).
enum CleanupPageId {
    PAGEID_HOME = 1,
    PAGEID_JUNK_SCAN = 2,
    PAGEID_LARGE_FILE_SCAN = 3,
    PAGEID_LARGE_FILE_RESULT = 4,
    PAGEID_DISK_OPT = 5,
};

// Ids of the navigation buttons.
enum NavBtnId { NAVBTN_HOME = 1, NAVBTN_NEXT = 2, NAVBTN_BACK = 4 };

class CPage : public QWidget {
    Q_OBJECT
public:
    CPage(int pageId, QWidget* parent = nullptr);

    // The second construction step, once the page's virtual operations can be called: buttons
    // into the header, content below it.
    void InitPage();

    void SetTitleInfo(PageTitleInfo info);
    int GetPageId() const { return pageId_; }
    void SetShown(bool shown) { shown_ = shown; }
    bool IsShown() const { return shown_; }
    void EmitNavigate(int pageId) { emit navigate(pageId); }

    // Each acts on the first button with the id; without one the setters do nothing and the
    // queries answer false. Visibility is the button's own setting, whether or not the page shows.
    void EnableFuncBtn(int id, bool enable);
    void EnableNavBtn(int id, bool enable);
    void ShowFuncBtn(int id, bool show);
    void ShowNavBtn(int id, bool show);
    bool IsFuncBtnEnabled(int id) const;
    bool IsFuncBtnVisible(int id) const;
    bool IsNavBtnEnabled(int id) const;
    bool IsNavBtnVisible(int id) const;

    virtual bool IsStartPage();
    // Called before the page becomes current, with the page being left (the page itself when it
    // is current already).
    virtual void OnEnter(QWidget* previousPage);
    // The window holding the wizard closes: stop running work.
    virtual void CancelAll();
    virtual QWidget* CreateContent() = 0;
    // May change the alignment of the function buttons (vertically centred, right by default).
    virtual QVector<CFuncBtn*> CreateFuncBtns(Qt::Alignment* align) = 0;
    virtual QVector<CNavigateBtn*> CreateNavBtns() = 0;
    // The page to switch to for a function button; 0 stays.
    virtual int OnFuncBtn(int buttonId);
    virtual int GetNextPageId();
    virtual int GetBackPageId();
    virtual int GetHomePageId();

signals:
    void navigate(int pageId);
    void WorkStart(bool bstart);
    void CurWindowName(const QString& name);

public slots:
    void onNavigate();
    void onFunc();

protected:
    PageInfo pageInfo_;
    CPageTitle* header() const { return header_; }

private:
    template <class Button>
    static Button* FindBtn(const QVector<QPointer<Button>>& buttons, int id);

    const int pageId_;
    CPageTitle* header_ = nullptr;
    bool shown_ = false;
    QVBoxLayout* layout_ = nullptr;
    QVector<QPointer<CFuncBtn>> funcBtns_;
    QVector<QPointer<CNavigateBtn>> navBtns_;
};
