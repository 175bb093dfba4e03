// The embedded default: a card folder and sample designs made on the spot, written with the
// write command, listed, and drawn as pictures, then a report of where everything is.
#pragma once

#include <string>

namespace kx::cli {

// `hostDir` empty: a new folder in the temporary folder. A folder that already holds a demo's
// card or designs is left alone (exit 3).
int DemoCommand(const std::string& hostDir);

}  // namespace kx::cli
