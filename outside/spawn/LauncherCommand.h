// spawn's command line, as its starter writes it:
//
//   "<folder>\spawn.exe" "<command line>" <cancel event handle> <locale>
//
// The command line inside the quotes keeps its own quotes ("\"C:\...\defrag.exe\" C: -a"), so it
// is taken as the text between the first quote after the program name and the last quote before
// the two closing words, not split by Windows' argument rules.
#pragma once

#include <optional>
#include <string>

struct LauncherCommand {
    std::wstring commandLine;
    unsigned long long cancelHandle = 0;
    std::wstring locale;
};

std::optional<LauncherCommand> ParseLauncherCommand(const std::wstring& wholeCommandLine);
