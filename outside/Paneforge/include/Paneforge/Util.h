// Paths, local settings and rich text of the main program.
//
// Where things lie:
// - resources: the "res" folder of the program folder (getDravielsResFullPath);
// - the product's temporary folder: the user's temporary folder (GetTempPathW) + "Orvane\Quarnel\";
// - the local settings files ("localcfg.ini"): the user's application data (CSIDL_APPDATA) +
//   "Orvane\Quarnel\" (common/ProductFolder.h), so that they survive updates and belong to the
//   user; the update library records its update state in the same file;
// - the installed update description "kyphtupdate.ini": the program folder.
// Every returned path is a Windows path of the machine, for the layer's file functions (Qt code
// reads such a file through common/MachineFile.h and common/MachinePicture.h). INI files are read
// and written through Windows' profile functions, so they are the files a Windows program would
// see.
#pragma once

#include <QString>
#include <QVariant>

// The local settings, from "localcfg.ini" section "cache".
struct S_LOCAL_CFG {
    int iLogin = 0;      // "login": 1 after a successful log-in
    int iUpdate = 0;     // "update": 0 up to date, 1 forced update pending, 2 optional update pending
    int iIsQuit = 0;     // "isquit": non-zero when the user logged out
    QString strAccount;  // "account": the logged-in account, empty when none
};

// The update and network settings. All but the current version come from the installed update
// description "kyphtupdate.ini" (section "update") beside the program; the updater replaces that
// description with the one its last check fetched whenever that check found nothing newer, and
// an installed update brings its own, so its "build" is the outcome of the last update check.
struct S_NETWORK_CFG {
    int iForce = 0;         // "force": bit 0 set when the described update is forced
    QString strUrl;         // "url": where the described update is fetched
    QString strVersion;     // the version of this program
    QString strBuild;       // "build": the update-check result
    QString strDes;         // "des": the described update's text
    QString strConfig;      // "config": where the next update description is read
    QString strWebsite;     // "website": the community web address, empty when none
};

class Util {
public:
    // Full path of a resource of the program, given its bare name ("icon.ico", "shadow.png").
    static QString getDravielsResFullPath(const QString& name);
    // Full path of a name in the product's temporary folder ("Draviels.zip"); empty when the
    // temporary folder is unknown.
    static QString getDravielsTempFullPath(const QString& name);
    // Full path of a name in the program folder ("GarbageClean.ini").
    static QString getcurappPath(const QString& name);

    // Fills the record from the local settings; a missing or unreadable file gives zeros and an
    // empty account.
    static void getDravielsLocalCfgInfo(S_LOCAL_CFG& cfg);
    static void getDravielsNetworkCfgInfo(S_NETWORK_CFG& cfg);

    // Stores one value in a local settings file (a bare name such as "localcfg.ini") at once;
    // false when it could not be written.
    static bool setDravielsCfgInfo(const QString& file, const QString& group, const QString& key,
                                   const QVariant& value);

    // Rich text showing the text in that font family, colour ("#rrggbb"), pixel size and weight
    // (400, 500, 600, 700). The text is taken as rich text itself, so callers may embed tags.
    static QString GetFormatString(const QString& text, const QString& family, const QString& color,
                                   int size, int weight);
};
