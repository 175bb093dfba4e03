/* Preloaded into kxcard by the power-cut test: counts the program's file operations (opens,
 * writes and closes past the standard streams, renames, deletes, folders made, flushes) and
 * cuts the power of the kernel it runs in at operation KX_CUT_AT: the magic SysRq crash stops
 * the machine on the spot, in the calling thread, writing back nothing that is not yet on the
 * card (a power-off would wait for a worker, by when a flush is long over). With
 * KX_CUT_DELAY_US unset the cut falls exactly before that operation (the program waits for it);
 * with a delay, the operation runs and a thread cuts that many microseconds after it began
 * (the program waits for the cut at its end).
 * KX_CUT_REPORT=1 prints on fd 9 (the console) the flush's number and how long it took
 * ("@@sync N MICROSECONDS") and the count at exit ("@@ops N"). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static long ops, cut_at = -1, delay_us = -1;
static int report;

__attribute__((constructor)) static void start(void) {
    const char* at = getenv("KX_CUT_AT");
    const char* delay = getenv("KX_CUT_DELAY_US");
    if (at) cut_at = atol(at);
    if (delay) delay_us = atol(delay);
    report = getenv("KX_CUT_REPORT") != NULL;
}

static void say(const char* text) {
    ssize_t ignored = write(9, text, strlen(text));
    (void)ignored;
}

static void power_off(void) {
    static __typeof__(open)* real_open;
    static __typeof__(write)* real_write;
    if (!real_open) real_open = dlsym(RTLD_NEXT, "open"), real_write = dlsym(RTLD_NEXT, "write");
    int fd = real_open("/proc/sysrq-trigger", O_WRONLY);
    ssize_t ignored = real_write(fd, "c", 1);
    (void)ignored;
}

static long now_us(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000L + t.tv_nsec / 1000;
}

// Spins rather than sleeps: the kernel's timer ticks are far coarser than the flush's writes.
static void* cut_later(void* unused) {
    (void)unused;
    for (long until = now_us() + delay_us; now_us() < until;) {
    }
    power_off();
    return NULL;
}

static pthread_t cutter;
static int cutting;

static void tick(void) {
    if (++ops != cut_at) return;
    if (delay_us < 0) {
        power_off();
        for (;;) pause();
    }
    cutting = pthread_create(&cutter, NULL, cut_later, NULL) == 0;
}

// A cut due after the program's end still falls: the program waits for it, first leaving
// KX_CUT_DONE_FILE (on the host's file system, beyond the cut) to say that it had ended.
__attribute__((destructor)) static void end(void) {
    if (cutting) {
        const char* done = getenv("KX_CUT_DONE_FILE");
        if (done) close(open(done, O_WRONLY | O_CREAT, 0644));
        pthread_join(cutter, NULL);
        for (;;) pause();
    }
    if (!report) return;
    char line[48];
    snprintf(line, sizeof line, "@@ops %ld\n", ops);
    say(line);
}

#define REAL(name) static __typeof__(name)* real_##name; if (!real_##name) real_##name = dlsym(RTLD_NEXT, #name)

static mode_t mode_of(int flags, va_list args) { return (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0; }

int open(const char* path, int flags, ...) {
    va_list args; va_start(args, flags); mode_t mode = mode_of(flags, args); va_end(args);
    REAL(open); tick(); return real_open(path, flags, mode);
}
int open64(const char* path, int flags, ...) {
    va_list args; va_start(args, flags); mode_t mode = mode_of(flags, args); va_end(args);
    REAL(open64); tick(); return real_open64(path, flags, mode);
}
int openat(int dir, const char* path, int flags, ...) {
    va_list args; va_start(args, flags); mode_t mode = mode_of(flags, args); va_end(args);
    REAL(openat); tick(); return real_openat(dir, path, flags, mode);
}
int openat64(int dir, const char* path, int flags, ...) {
    va_list args; va_start(args, flags); mode_t mode = mode_of(flags, args); va_end(args);
    REAL(openat64); tick(); return real_openat64(dir, path, flags, mode);
}
ssize_t write(int fd, const void* buf, size_t n) {
    REAL(write); if (fd > 2 && fd != 9) tick(); return real_write(fd, buf, n);
}
int close(int fd) { REAL(close); if (fd > 2 && fd != 9) tick(); return real_close(fd); }
int rename(const char* from, const char* to) { REAL(rename); tick(); return real_rename(from, to); }
int renameat(int a, const char* from, int b, const char* to) { REAL(renameat); tick(); return real_renameat(a, from, b, to); }
int unlink(const char* path) { REAL(unlink); tick(); return real_unlink(path); }
int unlinkat(int dir, const char* path, int flags) { REAL(unlinkat); tick(); return real_unlinkat(dir, path, flags); }
int mkdir(const char* path, mode_t mode) { REAL(mkdir); tick(); return real_mkdir(path, mode); }
int fsync(int fd) { REAL(fsync); tick(); return real_fsync(fd); }
int fdatasync(int fd) { REAL(fdatasync); tick(); return real_fdatasync(fd); }
int syncfs(int fd) {
    REAL(syncfs); tick();
    long began = now_us();
    int result = real_syncfs(fd);
    if (report) {
        char line[64];
        snprintf(line, sizeof line, "@@sync %ld %ld\n", ops, now_us() - began);
        say(line);
    }
    return result;
}
