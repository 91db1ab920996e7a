#include "IndexBtn.h"

CIndexBtn::CIndexBtn(int id, const QString& text, QWidget* parent) : CPushButton(text, parent), id_(id)
{
}

CIndexBtn::CIndexBtn(int id, const QIcon& icon, const QString& text, QWidget* parent)
    : CPushButton(icon, text, parent), id_(id)
{
}
