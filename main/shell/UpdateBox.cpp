#include "UpdateBox.h"

#include "RenewerRun.h"

CUpdateBox::CUpdateBox(int type, QWidget* parent, QString buttonText, QString title, int titleStyle)
    : CMessageBox(type, parent, std::move(buttonText), std::move(title), titleStyle)
{
    MainButton()->hide();
    BusyButton()->show();
    BusyButton()->SetTask(&RenewerTask, const_cast<wchar_t*>(kRenewerDownload));
}
