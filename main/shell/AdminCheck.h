// Whether the program runs with administrator rights: its token holds the Administrators group
// enabled. A filtered token of an administrator who is not elevated holds the group for deny only
// and fails.
#pragma once

bool IsRunAsAdmin();
