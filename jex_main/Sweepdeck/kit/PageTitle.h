// A page's header strip: icon, description above title, the navigation row at the top left, the
// function buttons on the right and a thin progress bar along the bottom.
#pragma once

#include "PageTitleInfo.h"

#include <QWidget>

class CProgressBar;
class QHBoxLayout;
class QVBoxLayout;
class QLabel;

class CPageTitle : public QWidget {
    Q_OBJECT
public:
    // info: the record to show; null shows a default record.
    explicit CPageTitle(PageTitleInfo* info, QWidget* parent = nullptr);

    // Applies a copy of the record; null keeps what is shown.
    void SetTitleInfo(PageTitleInfo* info);
    const PageTitleInfo& GetTitleInfo() const { return info_; }

    // A null button is ignored.
    void AddNavBtn(QWidget* button);
    void AddFuncBtn(QWidget* button, int stretch, Qt::Alignment align);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PageTitleInfo info_;
    CProgressBar* progress_ = nullptr;
    QVBoxLayout* upper_ = nullptr;
    QHBoxLayout* navRow_ = nullptr;
    QHBoxLayout* funcRow_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* description_ = nullptr;
};
