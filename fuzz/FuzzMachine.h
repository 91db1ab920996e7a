// The machine a fuzz target works in: a fresh machine root in a temporary folder, which is also the
// temporary folder of the process, removed when the process ends.
#pragma once

#include <filesystem>

std::filesystem::path MakeFuzzMachine();
