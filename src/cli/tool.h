// The tool's command line: global options, the commands, and the exit status of the one run.
#pragma once

namespace kx::cli {

int RunTool(int argc, char** argv);

}  // namespace kx::cli
