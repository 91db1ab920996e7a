// The download of an update: the description that the installed "kyphtupdate.ini" names in
// "config" is read through the Update library, and when it offers a newer build, the package it
// names in "url" is downloaded to the product's temporary folder as "Draviels.zip", where the main
// program looks for it.
#pragma once

#include <string>

// The temporary folder followed by "Orvane\Quarnel\Draviels.zip"; empty when the temporary folder
// is unknown.
std::wstring DownloadedPackagePath();

// Reads the offered description and records the update state in the user's local settings, where
// the main program reads it; nothing is downloaded.
void CheckForUpdate();

// Fetches the package whole or not at all; an earlier package is removed first, so that the file's
// presence afterwards always means this download succeeded. The check records the update state
// in the user's local settings, as every check of the Update library does. Empty on success,
// otherwise why it failed.
std::string DownloadUpdatePackage();
