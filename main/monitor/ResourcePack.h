// The start-up assistant's resource pack in the per-user resource folder: the description
// "TrayPop.ini" (the addresses of the next description and of the pack, the pack's version and
// the two remote switches), the extracted pack "images\" with a picture and a text per day of the
// month, and the defaults installed beside the program ("TrayPop.ini" and "res\TrayPop\").
#pragma once

#include <QDate>
#include <QString>

class IUnzipFile;
class IUpdateFixt;

struct RemoteSwitches {
    bool enableScan = true;
    bool enableAssit = true;
};

// One day's picture and text; empty paths when either is missing.
struct DayResources {
    QString picture; // host path
    QString text;    // host path
};

class CResourcePack {
public:
    // folder: the resource folder, a Windows path ending in a backslash. Either object may be
    // null (the Update library or one of its exports missing).
    CResourcePack(const QString& folder, IUpdateFixt* updater, IUnzipFile* archive);

    // Brings the description and the pack up to date from their addresses; false when a download,
    // the archive or its extraction failed (the caller retries later). The description is
    // replaced only by a whole one, and only at once.
    bool Update() const;

    // Copies the installed defaults into the folder (an existing description is kept); false when
    // the folder of the pictures could not be made.
    static bool RestoreDefaults(const QString& folder);
    // "resver" = 0, so that the next update downloads the pack again.
    static void MarkOutdated(const QString& folder);
    // The description's switches; both on without a description.
    static RemoteSwitches ReadSwitches(const QString& folder);
    // The day's picture (".png", else ".jpg") and text.
    static DayResources ForDay(const QString& folder, const QDate& day);
    // The day's text as UTF-8, at most a few pages of it.
    static QString ReadText(const QString& hostPath);

private:
    bool UpdatePack(const std::wstring& address) const;

    std::wstring folder_;
    IUpdateFixt* updater_;
    IUnzipFile* archive_;
};
