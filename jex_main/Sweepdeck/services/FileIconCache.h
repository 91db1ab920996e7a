// The shell's icons of file types, kept per extension so that long file lists ask the shell once
// per type. Touched from the GUI thread only.
#pragma once

#include <QIcon>
#include <QMap>
#include <QString>

// The icon the desktop shows for a file of this extension (".txt"), found by the name alone.
QIcon MakeFileTypeIcon(const QString& extension);
// The desktop's description of the type ("plain text document"), found the same way.
QString MakeFileTypeName(const QString& extension);

class CFileIconCache {
public:
    // The key a file name is cached under: the extension of its last path component with its
    // point, or ".UnknownExt" for a name without one or with one longer than four characters. A
    // point in a folder name is no extension.
    static QString ExtensionOf(const QString& fileName);

    // The icon of the file name's type. Types the machine does not register (no key of that
    // name under HKEY_CLASSES_ROOT) share the ".UnknownExt" icon. At most 501 types are kept; the
    // smallest key makes room.
    QIcon Icon(const QString& fileName);

    int Count() const { return icons_.size(); }

private:
    QMap<QString, QIcon> icons_;
};
