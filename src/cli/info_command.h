// info: what a design file's header says and what its stitch stream holds.
#pragma once

#include <string>

namespace kx::cli {

// The header fields, hoop, colours and what the stream holds, one item a line; with `json`,
// one JSON document holding every colour entry the file holds.
int InfoCommand(const std::string& hostFile, bool json);

}  // namespace kx::cli
