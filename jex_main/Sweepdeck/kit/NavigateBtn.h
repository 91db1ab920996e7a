// A page's navigation button: an icon and a short text, no button face. Ids: 1 Home, 2 Next, 4 Back.
#pragma once

#include "IndexBtn.h"

class CNavigateBtn : public CIndexBtn {
    Q_OBJECT
public:
    CNavigateBtn(int id, const QIcon& icon, const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
