#include "Paneforge/BPMenu.h"

#include "common/MachinePicture.h"

#include <QIcon>

namespace {

QIcon MakeIcon(const QStringList& icons)
{
    QIcon icon;
    if (!icons.isEmpty())
        icon.addPixmap(CachedPicture(icons.at(0)), QIcon::Normal);
    if (icons.size() > 1) {
        icon.addPixmap(CachedPicture(icons.at(1)), QIcon::Active);
        icon.addPixmap(CachedPicture(icons.at(1)), QIcon::Selected);
    }
    return icon;
}

} // namespace

CBPMenu::CBPMenu(QWidget* parent) : QMenu(parent)
{
    setStyleSheet(QStringLiteral(
        "QMenu { background:#2d3444; border:1px solid #3a4256; padding:4px 0px; }"
        "QMenu::item { color:#c6d6f0; font-size:14px; padding:8px 32px 8px 16px; min-width:96px; }"
        "QMenu::item:selected { background:#3a4357; color:#ffffff; }"
        "QMenu::item:disabled { color:#6f788b; }"
        "QMenu::icon { padding-left:12px; }"));
}

QAction* CBPMenu::AddAction(const QStringList& icons, const QString& text, const QVariant& key)
{
    QAction* action = addAction(MakeIcon(icons), text);
    action->setData(key);
    return action;
}

bool CBPMenu::SetActionIcon(const QVariant& key, const QStringList& icons)
{
    QAction* action = FindAction(key);
    if (action)
        action->setIcon(MakeIcon(icons));
    return action != nullptr;
}

bool CBPMenu::SetActionText(const QVariant& key, const QString& text)
{
    QAction* action = FindAction(key);
    if (action)
        action->setText(text);
    return action != nullptr;
}

bool CBPMenu::GetActionText(const QVariant& key, QString& text) const
{
    const QAction* action = FindAction(key);
    if (action)
        text = action->text();
    return action != nullptr;
}

QAction* CBPMenu::FindAction(const QVariant& key) const
{
    for (QAction* action : actions()) {
        if (action->data() == key)
            return action;
    }
    return nullptr;
}
