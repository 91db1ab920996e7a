// The clean-up library's one services object: it hosts the clean-up engines (loaded by file name,
// made through their factory exports, initialised, handed to the pages, uninitialised and
// released) and offers the pages' small shared services (user settings, size and date texts,
// file-type icons, showing a file in the file manager, the stand-alone program's autostart entry,
// resource paths and the loading animation's frames).
//
// When the engines are released. Pages stop their engines' work from their destructors (a
// controller's Stop, a gatherer's sink calls), so the engines must outlive every window that holds
// a page. The object is therefore not a static of the library: a static destructor would run at
// process exit, after the event loop, in an order against the plug-ins' and the module loader's
// own teardown that nothing controls. Instead the first Instance() registers ReleaseInstance()
// as a Qt post routine, which QCoreApplication's destructor runs: after the event loop has
// returned and after the host's windows (made after the application object, so destroyed before
// it) are gone, while every plug-in library is still loaded. Each engine is uninitialised, then
// released. A host that keeps windows alive past its application object calls ReleaseInstance()
// itself once they are destroyed. Without any application object nothing is released at exit.
#pragma once

#include "FileIconCache.h"
#include "KyAutoPtr.h"

#include "IDregsweep.h"
#include "jex_main/Scatterscope/IDefragController.h"
#include "jex_main/large_file_gatherer/IBulkseek.h"
#include "jex_main/volume_list/IDrivelist.h"

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <string>

class CUIPublic {
public:
    // The one object of the process, made on the first call (on the GUI thread).
    static CUIPublic* Instance();
    // Uninitialises and releases the engines and destroys the object; a later Instance() makes a
    // fresh one. Run by QCoreApplication's destructor; hosts may call it earlier, once the windows
    // that hold pages are destroyed.
    static void ReleaseInstance();

    CUIPublic(const CUIPublic&) = delete;
    CUIPublic& operator=(const CUIPublic&) = delete;

    // Engines. Each load returns whether its engine is there; loading an engine that is already
    // loaded keeps it (the volume lister's and the controllers' factories hand out their one object
    // without a new reference, so making it again must not release it). A missing file or export
    // leaves the engine off; the getters then answer null and the pages go without it.
    // InitSysClean and InitLargeFile first reset "terminatePro" to 2 and "execcleanup" to false.
    bool InitSysClean();
    bool InitLargeFile();
    bool LoadDregsweep();
    void UnloadDregsweep();
    IDregsweep* GetDregsweep() const { return dregsweep_.Get(); }
    bool LoadBulkseek();
    void UnloadBulkseek();
    IBulkseek* GetBulkseek() const { return bulkseek_.Get(); }
    // The volume lister and the two defragmentation controllers, each initialised when it loads;
    // true only when all three are there.
    bool LoadDefragPlugins();
    void UnloadDefragPlugins();
    IDrivelist* GetDrivelist() const { return drivelist_.Get(); }
    IDefragController* GetAnalysisController() const { return analysis_.Get(); }
    IDefragController* GetDefragController() const { return defrag_.Get(); }

    // Settings files: INI files in the user's roaming application data, folder "zlr". An empty
    // group, key or file name is refused (false, nothing read or written, the output untouched);
    // so is a write the file system does not take. Safe on any thread: every call opens the file
    // afresh.
    static QString GetConfigDir();
    static bool WriteSetting(const QString& group, const QString& key, const QVariant& value, const QString& file);
    static bool ReadSetting(const QString& group, const QString& key, QVariant& value, const QString& file);
    // The user settings: file "userconfig", group "Setting". A missing key reads as invalid.
    static bool SetUserSetting(const QString& key, const QVariant& value);
    static QVariant GetUserSetting(const QString& key);

    // The product language from the machine registry; the registry's status (0 when read; the value
    // stays empty otherwise).
    static LONG GetLanguage(std::string& value);

    // At most four characters of number and a unit: "1.50 KB", "117 MB", "10.0 GB". 0 and 1 byte
    // show as "0 KB" and "1 KB", anything else below a kilobyte as "1 KB".
    static QString FormatSize(quint64 bytes);
    // The date part in the system's locale; empty for a date that is not valid.
    static QString FormatDate(const COleDateTime& date);

    // The shell's icon of the file name's type, cached per extension (GUI thread only).
    QIcon GetFileIcon(const QString& fileName);

    // Opens the file's folder in the file manager; a failure is shown in a message box with the
    // system's text for it.
    static void OpenFileLocation(const wchar_t* path);

    // The stand-alone program's autostart entry in the machine's Run key. SetAutoRun keeps a
    // positive interval and its threshold for later calls (10 minutes and 300 MB until one is
    // given). Each answers whether the registry took the change (false without the rights).
    bool SetAutoRun(bool deleteFirst, int minutes, double thresholdMB);
    static bool DeleteAutoRun();
    static bool IsAutoRun();

    static QString GetAppDir();
    // GetAppDir() + "/res/" + name.
    static QString GetResFile(const QString& name);
    // The loading animation's eight frames, in order.
    static QStringList GetLoadingImages();
    // The junk category names the gatherer reports, translated.
    static QStringList GetCategoryText();

private:
    CUIPublic() = default;
    // Only ReleaseInstance destroys the object, so that Instance() never hands out a deleted one.
    virtual ~CUIPublic();

    CKyAutoPtr<IDregsweep> dregsweep_;
    CKyAutoPtr<IBulkseek> bulkseek_;
    CKyAutoPtr<IDrivelist> drivelist_;
    CKyAutoPtr<IDefragController> analysis_;
    CKyAutoPtr<IDefragController> defrag_;
    CFileIconCache iconCache_;
    int autoRunMinutes_ = 0;
    double autoRunThresholdMB_ = 0;
};
