#include "IconTrayMenu.h"

#include <QAction>

CIconTrayMenu::CIconTrayMenu(QWidget* parent) : QMenu(parent)
{
    // The desktop draws tray menus light or dark; ours follows the program's dark pages.
    setStyleSheet(QStringLiteral("QMenu{background:#1c202a;color:#c6d6f0;border:1px solid #3a4256;}"
                                 "QMenu::item{padding:6px 24px;}QMenu::item:selected{background:#2a3142;}"));
}

void CIconTrayMenu::AddItems(const QStringList& texts)
{
    for (const QString& text : texts)
        AddItem(text);
}

void CIconTrayMenu::AddItem(const QString& text)
{
    QAction* action = addAction(text);
    action->setData(nextIndex++);
    connect(action, &QAction::triggered, this, &CIconTrayMenu::onTriggered);
}

void CIconTrayMenu::onTriggered(bool)
{
    if (auto* action = qobject_cast<QAction*>(sender()))
        emit itemActivated(action->data().toInt());
}
