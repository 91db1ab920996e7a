// The container of one tool's pages: a tab widget without tabs that switches pages by page id
// when a page asks, always through the target page's OnEnter.
#pragma once

#include <QPointer>
#include <QTabWidget>

class CPage;

class CPageWizard : public QTabWidget {
    Q_OBJECT
public:
    explicit CPageWizard(QWidget* parent = nullptr);

    // Takes the page as a child; null is ignored.
    void AddPage(CPage* page);
    // Enters every page with the id in tab order (-1 or an unknown id: nothing).
    void Navigate(int pageId);
    // -1: the current page; otherwise the last page with the id; null when none has it.
    QWidget* GetPage(int pageId);
    // The first page that calls itself the start page, or null.
    CPage* GetStartPage();
    // The holding window closes: every page stops its work. Invokable by name for a host that
    // knows the wizard only as a widget.
    Q_INVOKABLE void CancelAll();

    // Grows the widget from an empty rectangle at its corner to its own rectangle in 100 ms.
    static void AnimateShow(QWidget* widget);

public slots:
    void onNavigate(int pageId);

protected:
    // The tab widget's own page-switching keys would change pages without OnEnter: ignored.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Guarded: a page's OnEnter or CancelAll may remove pages.
    QList<QPointer<CPage>> Pages() const;
};
