// The start-up assistant's resource pack in the per-user resource folder: the description
// "TrayPop.ini" (the addresses of the next description and of the pack, the pack's version and
// the two remote switches), the extracted pack "images\" with a picture and a text per day of the
// month, and the defaults installed beside the program ("TrayPop.ini" and "res\TrayPop\").
//
// A newer pack is unpacked beside the pictures in use, into a folder made anew, with its
// description beside it; only once the whole pack came out does that folder take the name of a
// ready pack, and from then on it is the set in use: its pictures and its description take their
// places one after the other, and an update cut short on the way finishes that at the next update
// before anything else. A pack that fails leaves the pictures and the description as they were.
// Everything in the resource folder is made, moved and removed relative to the folder held by its
// handle, never through a link planted there.
#pragma once

#include <QDate>
#include <QPixmap>
#include <QString>

#include <functional>
#include <string>

class CHeldFolder;
class IUnzipFile;
class IUpdateFixt;

struct RemoteSwitches {
    bool enableScan = true;
    bool enableAssit = true;
};

// One day's picture and text, as Windows paths; empty when either is missing.
struct DayResources {
    QString picture;
    QString text;
};

class CResourcePack {
public:
    // folder: the resource folder, a Windows path ending in a backslash. Either object may be
    // null (the Update library or one of its exports missing).
    CResourcePack(const QString& folder, IUpdateFixt* updater, IUnzipFile* archive);

    // Brings the description and the pack up to date from their addresses; false when a download,
    // the archive or its extraction failed (the caller retries later). The description is
    // replaced only by a whole one, and together with a newer pack only once the pack came out
    // whole.
    bool Update() const;

    // Copies the installed defaults into the folder (an existing description is kept); false when
    // the folder of the pictures could not be had.
    static bool RestoreDefaults(const QString& folder);
    // "resver" = 0, so that the next update downloads the pack again.
    static void MarkOutdated(const QString& folder);
    // The description's switches; both on without a description.
    static RemoteSwitches ReadSwitches(const QString& folder);
    // The day's picture (".png", else ".jpg") and text.
    static DayResources ForDay(const QString& folder, const QDate& day);
    // The day's text as UTF-8, at most a few pages of it.
    static QString ReadText(const QString& path);
    // A day's picture; null when it cannot be read or is far larger than any picture of a pack.
    static QPixmap ReadPicture(const QString& path);

    // Test seam: called at each step of putting a newer pack in place; a hook that throws ends the
    // update there as a kill would, leaving on disk what a kill at that step leaves.
    enum class Step { Unpacked, Ready, PicturesAside, PicturesPlaced, DescriptionPlaced };
    static void SetStepHook(std::function<void(Step)> hook);

private:
    bool UpdatePack(const CHeldFolder& resources, const std::wstring& address) const;
    bool MakeReady(const CHeldFolder& resources, const std::wstring& zip) const;
    bool Unpack(const CHeldFolder& pictures, const std::wstring& zip) const;

    std::wstring folder_;
    IUpdateFixt* updater_;
    IUnzipFile* archive_;
};
