// The junk the junk-file clean-up finds on the demo machine: some in every place its rules look,
// in two user profiles, old enough for the rules that leave young files alone.
#pragma once

// False when a file could not be made.
bool MakeDemoJunk();
