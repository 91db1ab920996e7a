// The header strip of the repair pages: icon, title, description and the page's action button on
// a dark band. The style sheet gives the icon its picture through the icon label's object name.
#pragma once

#include "Paneforge/RoundedRectBase.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

class CFixPageTop : public CRoundedRectBase {
    Q_OBJECT
public:
    CFixPageTop(int pageType, QPointer<QPushButton> button, QWidget* parent);

    void SetIcon(const QString& name);
    // Changes nothing unless both texts are given.
    void SetTitle(const QString& title, const QString& text);
    void SetButtonText(const QString& text);

private:
    void BuildLayout();

    QPointer<QLabel> icon_;
    QPointer<QLabel> title_;
    QPointer<QLabel> description_;
    QPointer<QPushButton> button_;
    int pageType_;
};
