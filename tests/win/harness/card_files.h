// Files on the rig's card and PC folders as a test sets them up and checks them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx::wintest {

using Bytes = std::vector<std::uint8_t>;

void WriteFile(const std::string& path, const Bytes& bytes);
// The whole file; empty when it cannot be read.
Bytes ReadFile(const std::string& path);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
// Deletes what `folder` (ending with a backslash) holds, so each test starts on a blank card.
void EmptyFolder(const std::string& folder);

}  // namespace kx::wintest
