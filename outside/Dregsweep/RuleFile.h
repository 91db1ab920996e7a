// The gatherer's part of the program folder's rule file and display-text table. Its elements stand
// beside those of other gatherers, which it leaves alone:
//
//   <DregsweepCatagory Kind="0" Name="System junk" ResID="DS_SYSTEM" Icon="icon_system.png">
//     <DregsweepProgram Name="Windows" ResID="DS_WINDOWS" Icon="icon_windows.png" Process="a.exe|b.exe">
//       <DregsweepType Name="Temporary files" ResID="DS_TEMP">
//         <DregsweepRule Folder="%TEMP%" Files="*" Recurse="1" MinAgeHours="24"/>
//
// The text table's "Dregsweep" element holds one child per ResID whose text is the display name;
// without one the "Name" attribute is shown. An element that cannot be used (a rule without a
// folder, a category left without rules) is left out and logged; the rest still loads.
#pragma once

#include "JunkCatagory.h"

#include <string>
#include <vector>

namespace rule_file {

// The top-level categories; empty when the rule file cannot be read or describes none.
std::vector<CJunkCatagory*> Load(const std::wstring& rulePath, const std::wstring& textPath);

} // namespace rule_file
