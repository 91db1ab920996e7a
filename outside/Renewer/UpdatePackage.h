// The download of an update: the description that the installed "kyphtupdate.ini" names in
// "config" is read through the Update library, and when it offers a newer build, the package it
// names in "url" is downloaded into the program folder's download folder, where the main program
// looks for it and the install takes it from (PackageFolder.h).
#pragma once

#include <string>

// Reads the offered description and records the update state in the user's local settings, where
// the main program reads it; nothing is downloaded.
void CheckForUpdate();

// Fetches the package of the program folder (a Windows path) whole or not at all, and records its
// digest; an earlier package is removed first, so that the package's presence afterwards always
// means this download succeeded. The check records the update state in the user's local
// settings, as every check of the Update library does. Empty on success, otherwise why it failed.
std::string DownloadUpdatePackage(const std::wstring& programFolder);
