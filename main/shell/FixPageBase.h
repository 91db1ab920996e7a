// Base of every page a frame window hosts: a transparent, rounded, fixed-size panel that remembers
// its page type, so the frame's own painting shows through except where the page paints.
#pragma once

#include "Paneforge/RoundedRectBase.h"

class CFixPageBase : public CRoundedRectBase {
    Q_OBJECT
public:
    CFixPageBase(int pageType, QWidget* parent, unsigned radius, bool topLeft, bool topRight, bool bottomLeft,
                 bool bottomRight);

    virtual void InitUI();

    int GetPageType() const { return pageType_; }

signals:
    // Page-to-frame requests of the page family; the frames of this program wire neither.
    void NextSignal(int icurPageId, int iNextPageId, void* pData);
    void ShowContrlSignal(int icmd);

private:
    int pageType_;
};
