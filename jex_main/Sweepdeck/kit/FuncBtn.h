// A page's function button in its header; the page reads the id to tell what was asked.
#pragma once

#include "IndexBtn.h"

class CFuncBtn : public CIndexBtn {
    Q_OBJECT
public:
    CFuncBtn(int id, const QString& text, QWidget* parent = nullptr) : CIndexBtn(id, text, parent) {}
};
