// Starting the main program from the program folder for the launch words.
#pragma once

#include <string>

// "autostart" (at log-in) starts it as the user Renewer runs as, with the word. No word and
// "autoscan" come from a copy without administrator rights that ends right after asking: the
// main program is started again with the rights (the shell's "runas"), once that copy has ended
// or a few seconds have passed. Empty when it was started, otherwise why not.
std::string StartMainProgram(const std::wstring& word);
