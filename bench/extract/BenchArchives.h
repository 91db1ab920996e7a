// The archives the extraction benchmark times, written with minizip's writer as ZIP tools write
// them (deflate, Windows attributes).
#pragma once

#include <string>

// Many small text files in a few dozen folders.
void WriteManySmallFiles(const std::string& zipPath);
// A hundred thousand tiny files in a few hundred folders, as real archives of many entries hold
// them (beyond 65,535 entries the archive carries a ZIP64 end record).
void WriteManyTinyFiles(const std::string& zipPath);
// A few large files that deflate about four to one.
void WriteFewLargeFiles(const std::string& zipPath);
