#include "SettingsDlg.h"

#include "common/TallyrunBinding.h"
#include "kit/CheckBox.h"
#include "kit/IndexBtn.h"
#include "kit/ResPicture.h"
#include "services/UIPublic.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kButtonWidth = 80;

} // namespace

CSettingsDlg::CSettingsDlg(const QString& title, QWidget* parent)
    : QDialog(parent, Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      checkRow(new QHBoxLayout),
      buttonRow(new QHBoxLayout)
{
    setWindowTitle(title);
    setWindowIcon(ResIcon(QStringLiteral("48_48_8.ico")));
    setFixedWidth(400);
    setMinimumHeight(150);
    checkRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->addLayout(checkRow);
    column->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Preferred));
    column->addLayout(buttonRow);

    checkBox = new CCheckBox(tr("Enable system monitoring to prompt me to clean up junk files."));
    checkBox->setFixedHeight(50);
    checkRow->addWidget(checkBox);
    initiallyOn = CUIPublic::IsAutoRun();
    checkBox->setCheckState(initiallyOn ? Qt::Checked : Qt::Unchecked);

    buttonRow->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    const QString texts[] = {tr("Save"), tr("Cancel")};
    for (int id : {Saved, Cancelled}) {
        buttonRow->addSpacing(4);
        auto* button = new CIndexBtn(id, texts[id]);
        button->setFixedWidth(kButtonWidth);
        connect(button, &CIndexBtn::clicked, this, &CSettingsDlg::onBtnClicked);
        buttonRow->addWidget(button);
    }
}

int CSettingsDlg::Exec()
{
    setModal(true);
    show();
    return exec();
}

void CSettingsDlg::onBtnClicked()
{
    auto* button = qobject_cast<CIndexBtn*>(sender());
    const int result = button ? button->GetId() : static_cast<int>(Cancelled);
    if (result == Saved && checkBox) {
        const bool on = checkBox->checkState() == Qt::Checked;
        if (on)
            CUIPublic::Instance()->SetAutoRun(false, 0, 0);
        else
            CUIPublic::DeleteAutoRun();
        if (on != initiallyOn) {
            const ULONGLONG handle = Tallyrun_BeginAction();
            Tallyrun_SetActionData(static_cast<UINT_PTR>(handle & 0xFFFFFFFFu), static_cast<UINT_PTR>(handle >> 32),
                                   reinterpret_cast<UINT_PTR>("Clean_ChangeSettings"), 0, on ? 1 : 0, 0);
        }
    }
    done(result);
}

void CSettingsDlg::reject() { done(Cancelled); }

void CSettingsDlg::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.fillRect(rect(), Qt::white);
    QDialog::paintEvent(event);
}

void CSettingsDlg::closeEvent(QCloseEvent* event)
{
    event->accept();
    done(Cancelled);
}
