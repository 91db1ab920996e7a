// The second page of the large-file wizard: the files the scan found, the number and size of the
// ticked ones in the header, and their permanent deletion after a confirmation.
#pragma once

#include "wizard/Page.h"

class CLFListData;
class CLFListView;

class CLFCleanPage : public CPage {
    Q_OBJECT
public:
    CLFCleanPage();

    void OnEnter(QWidget* previousPage) override;
    void CancelAll() override;
    QWidget* CreateContent() override;
    QVector<CFuncBtn*> CreateFuncBtns(Qt::Alignment* alignment) override;
    QVector<CNavigateBtn*> CreateNavBtns() override;
    int OnFuncBtn(int id) override;
    int GetBackPageId() override;

private slots:
    void OnCheckChanged(int nfileInc, qint64 nSizeInc, int nfileDec, qint64 nSizeDec);
    void BackBtnSlot();

private:
    void DeleteSelected();
    // The page's header with this message (rich text) as its title.
    void SetHeader(const QString& message);

    qint64 selectedCount = 0;
    qint64 selectedSize = 0;
    CLFListView* listView;
    CLFListData* listData = nullptr;
    QWidget* content;
};
