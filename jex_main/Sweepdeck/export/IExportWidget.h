// The object the clean-up library Sweepdeck hands the main program for each clean-up tool, and the
// two exports that build it. This is the one header of the library that the main program includes.
// The main program never deletes the object (it has no destructor in its table) and keeps it for
// the whole run. Qt objects cross this boundary: both sides use the same Qt.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Receives the 64-bit size of a finished background junk analysis as two 32-bit halves, with the
// context given to SetCallback.
extern "C" typedef void (*ExportWidgetCallback)(unsigned sizeLow, unsigned sizeHigh, void* context);

class IExportWidget {
public:
    // The page with the id (-1: the current page) of the object's wizard; null when none.
    virtual QWidget* GetPage(int pageId) = 0;
    virtual QWidget* GetSysCleanWidget() = 0;
    virtual QWidget* GetLargeFileWidget() = 0;
    virtual void Navigate(int pageId, bool sysClean) = 0;
    // The junk analysis and clean-up of the system-clean object; nothing on a large-file object.
    virtual void StartScan() = 0;
    virtual void StopWork() = 0;
    virtual void StartClean() = 0;
    // An analysis started with automatic true reports its checked size only through the callback;
    // one refused (the page works, or has no gatherer) or stopped before its end reports nothing,
    // so a caller that waits for the result keeps a timer of its own.
    virtual void ScanLater(bool automatic) = 0;
    virtual void CleanLater() = 0;
    // Replaces the callback and its context (null: none); the next result goes to what is set then.
    virtual void SetCallback(ExportWidgetCallback callback, void* context) = 0;
    // The index of the pressed button, 0xFFFF when the box was closed without one.
    virtual int ShowMessageBox(QWidget* parent, int iconKind, QString caption, QString title, QString content,
                               QStringList buttons) = 0;
};

// "BuildSysCleanExportWgt" and "BuildLargeFileExportWgt": a new object with its tool's wizard as a
// child of parent; null only when memory runs out.
extern "C" typedef IExportWidget* (*BuildExportWgtFunc)(QWidget* parent);
extern "C" IExportWidget* BuildSysCleanExportWgt(QWidget* parent);
extern "C" IExportWidget* BuildLargeFileExportWgt(QWidget* parent);
