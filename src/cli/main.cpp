// kxcard: the memory-card commands at a shell.
#include "cli/tool.h"

int main(int argc, char** argv) { return kx::cli::RunTool(argc, argv); }
