// Starting the stand-alone clean-up program again with administrator rights on a page.
#pragma once

// Runs the program named by "Name" in group "Cleanup" of "UIConfigAdd.ini" in the program folder
// ("Sweepdeck.exe" when unset) with "restart <page>", asking for elevation; when that is refused or
// fails, the same start without it. True when one of the two started the program. The name is that
// of a file in the program folder: one that holds "\", "/" or ".." reaches elsewhere and starts
// nothing.
bool RestartElevated(int page);
