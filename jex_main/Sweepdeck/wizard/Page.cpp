#include "Page.h"

#include "kit/FuncBtn.h"
#include "kit/NavigateBtn.h"
#include "kit/PageTitle.h"

#include "common/VisibleOnChange.h"

#include <QVBoxLayout>

CPage::CPage(int pageId, QWidget* parent) : QWidget(parent), pageId_(pageId)
{
    setContentsMargins(0, 0, 0, 0);
    setWindowFlags(Qt::Dialog);
    layout_ = new QVBoxLayout(this);
    layout_->setSpacing(0);
    layout_->setContentsMargins(0, 0, 0, 0);
    PageTitleInfo defaults;
    header_ = new CPageTitle(&defaults, this);
    layout_->addWidget(header_);
    setFixedHeight(472);
}

void CPage::InitPage()
{
    for (CNavigateBtn* button : CreateNavBtns()) {
        if (!button)
            continue;
        header_->AddNavBtn(button);
        connect(button, &CNavigateBtn::clicked, this, &CPage::onNavigate);
        navBtns_.append(button);
    }

    Qt::Alignment align = Qt::AlignVCenter | Qt::AlignRight;
    const QVector<CFuncBtn*> funcBtns = CreateFuncBtns(&align);
    for (CFuncBtn* button : funcBtns) {
        if (!button)
            continue;
        header_->AddFuncBtn(button, 0, align);
        connect(button, &CFuncBtn::clicked, this, &CPage::onFunc);
        funcBtns_.append(button);
    }

    if (QWidget* content = CreateContent()) {
        content->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        layout_->addWidget(content);
    }
}

void CPage::SetTitleInfo(PageTitleInfo info)
{
    header_->SetTitleInfo(&info);
}

template <class Button>
Button* CPage::FindBtn(const QVector<QPointer<Button>>& buttons, int id)
{
    for (const QPointer<Button>& button : buttons)
        if (button && button->GetId() == id)
            return button;
    return nullptr;
}

namespace {

void SetEnabled(QWidget* button, bool enable)
{
    if (button)
        button->setEnabled(enable);
}

void SetVisible(QWidget* button, bool show)
{
    if (button)
        SetVisibleOnChange(button, show);
}

bool Enabled(const QWidget* button)
{
    return button && button->isEnabled();
}

// The button's own setting: a button of a page not on screen still counts as shown.
bool Shown(const QWidget* button)
{
    return button && !button->isHidden();
}

} // namespace

void CPage::EnableFuncBtn(int id, bool enable)
{
    SetEnabled(FindBtn(funcBtns_, id), enable);
}

void CPage::EnableNavBtn(int id, bool enable)
{
    SetEnabled(FindBtn(navBtns_, id), enable);
}

void CPage::ShowFuncBtn(int id, bool show)
{
    SetVisible(FindBtn(funcBtns_, id), show);
}

void CPage::ShowNavBtn(int id, bool show)
{
    SetVisible(FindBtn(navBtns_, id), show);
}

bool CPage::IsFuncBtnEnabled(int id) const
{
    return Enabled(FindBtn(funcBtns_, id));
}

bool CPage::IsFuncBtnVisible(int id) const
{
    return Shown(FindBtn(funcBtns_, id));
}

bool CPage::IsNavBtnEnabled(int id) const
{
    return Enabled(FindBtn(navBtns_, id));
}

bool CPage::IsNavBtnVisible(int id) const
{
    return Shown(FindBtn(navBtns_, id));
}

bool CPage::IsStartPage()
{
    return false;
}

void CPage::OnEnter(QWidget*)
{
}

void CPage::CancelAll()
{
}

int CPage::OnFuncBtn(int)
{
    return 0;
}

int CPage::GetNextPageId()
{
    return 0;
}

int CPage::GetBackPageId()
{
    return 0;
}

int CPage::GetHomePageId()
{
    return PAGEID_HOME;
}

void CPage::onNavigate()
{
    const auto* button = qobject_cast<CNavigateBtn*>(sender());
    if (!button)
        return;
    switch (button->GetId()) {
    case NAVBTN_HOME:
        emit navigate(GetHomePageId());
        break;
    case NAVBTN_NEXT:
        emit navigate(GetNextPageId());
        break;
    case NAVBTN_BACK:
        emit navigate(GetBackPageId());
        break;
    default:
        break;
    }
}

void CPage::onFunc()
{
    const auto* button = qobject_cast<CFuncBtn*>(sender());
    if (!button)
        return;
    if (const int target = OnFuncBtn(button->GetId()))
        emit navigate(target);
}
