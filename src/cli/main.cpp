// kxcard: the memory-card commands at a shell.
#include <malloc.h>

#include "cli/tool.h"

int main(int argc, char** argv) {
    // A write holds each design in memory, one after another, in blocks of up to a few hundred
    // KiB. By default glibc returns such a block to the system when it is freed and faults fresh
    // pages in for the next design, which cost the write more time than converting the designs.
    // Freed memory stays with the process instead; it ends with the command.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
    return kx::cli::RunTool(argc, argv);
}
