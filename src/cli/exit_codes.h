// The tool's exit statuses; scripts depend on them.
#pragma once

namespace kx::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;      // ran, but a design was refused or a file operation failed
inline constexpr int kExitCardFull = 2;     // a write onto the card failed
inline constexpr int kExitNothingDone = 3;  // no card, layout check failed, nothing named
inline constexpr int kExitUsage = 64;       // EX_USAGE

}  // namespace kx::cli
