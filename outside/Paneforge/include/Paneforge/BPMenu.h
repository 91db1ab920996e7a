// The program's pop-up menu in its dark look. Entries are found by the key given when they were
// added; the key is also the action's data, so triggered(QAction*) tells entries apart by it.
#pragma once

#include <QMenu>
#include <QStringList>
#include <QVariant>

class CBPMenu : public QMenu {
    Q_OBJECT
public:
    explicit CBPMenu(QWidget* parent);

    // icons: none, the normal icon, or the normal and the hovered icon (Windows paths).
    QAction* AddAction(const QStringList& icons, const QString& text, const QVariant& key);
    // Each returns false when no entry has that key.
    bool SetActionIcon(const QVariant& key, const QStringList& icons);
    bool SetActionText(const QVariant& key, const QString& text);
    bool GetActionText(const QVariant& key, QString& text) const;

private:
    QAction* FindAction(const QVariant& key) const;
};
