// The tray icon's context menu: entries numbered in the order they are added.
#pragma once

#include <QMenu>

class CIconTrayMenu : public QMenu {
    Q_OBJECT
public:
    explicit CIconTrayMenu(QWidget* parent = nullptr);

    void AddItems(const QStringList& texts);
    void AddItem(const QString& text);

signals:
    void itemActivated(int index);

public slots:
    void onTriggered(bool checked);

private:
    int nextIndex = 0;
};
