#include "PageWizard.h"

#include "Page.h"

#include <QKeyEvent>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTabBar>

CPageWizard::CPageWizard(QWidget* parent) : QTabWidget(parent)
{
    setContentsMargins(0, 0, 0, 0);
    tabBar()->hide();
    setDocumentMode(true);
    setFixedHeight(471);
}

QList<QPointer<CPage>> CPageWizard::Pages() const
{
    QList<QPointer<CPage>> pages;
    for (int i = 0; i < count(); ++i)
        if (auto* page = qobject_cast<CPage*>(widget(i)))
            pages.append(page);
    return pages;
}

void CPageWizard::AddPage(CPage* page)
{
    if (!page)
        return;
    connect(page, &CPage::navigate, this, &CPageWizard::onNavigate);
    addTab(page, QString());
}

void CPageWizard::Navigate(int pageId)
{
    if (pageId == -1)
        return;
    for (const QPointer<CPage>& page : Pages()) {
        // An earlier page's OnEnter may have removed this one.
        if (!page || page->GetPageId() != pageId)
            continue;
        page->OnEnter(currentWidget());
        if (page && indexOf(page) >= 0)
            setCurrentWidget(page);
    }
}

void CPageWizard::onNavigate(int pageId)
{
    Navigate(pageId);
}

QWidget* CPageWizard::GetPage(int pageId)
{
    if (pageId == -1)
        return currentWidget();
    CPage* found = nullptr;
    for (CPage* page : Pages())
        if (page->GetPageId() == pageId)
            found = page;
    return found;
}

CPage* CPageWizard::GetStartPage()
{
    for (CPage* page : Pages())
        if (page->IsStartPage())
            return page;
    return nullptr;
}

void CPageWizard::AnimateShow(QWidget* widget)
{
    if (!widget)
        return;
    auto* animation = new QPropertyAnimation(widget, "geometry", widget);
    animation->setDuration(100);
    animation->setEasingCurve(QEasingCurve::Linear);
    animation->setStartValue(QRect(0, 0, 0, 0));
    animation->setEndValue(widget->rect());
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void CPageWizard::CancelAll()
{
    for (const QPointer<CPage>& page : Pages())
        if (page)
            page->CancelAll();
}

void CPageWizard::keyPressEvent(QKeyEvent* event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (control) {
            event->ignore();
            return;
        }
        break;
    default:
        break;
    }
    QTabWidget::keyPressEvent(event);
}
