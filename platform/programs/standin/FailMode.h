// How a test makes a stand-in Windows program fail: machine.ini names the program in its [Fail]
// section.
//
//   [Fail]
//   diskpart=exit    the program reports the error the real program gives when the system refuses
//                    it (access denied, or its service failing), changes nothing and ends with
//                    its error code
//   sc=silent        the program prints nothing, changes nothing and ends with exit code 1
//
// The keys are the programs' names: diskpart, sc, net, chkdsk, attrib. Any other value, or no
// key, lets the program work.
#pragma once

namespace standin {

// Ends the process at once (exit code 1, no output) for "silent"; true for "exit", when the
// program is to report its failure; false when it is to work.
bool MustFail(const wchar_t* program);

} // namespace standin
