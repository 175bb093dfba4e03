/* kxhost: a small host application of kxcard.dll. It makes a window to own the dialogs, calls
 * the export its command line names and prints the result and every buffer handed back.
 *
 *   kxhost connect [FOLDER]             ConnectCardDlg on FOLDER ("" when left out)
 *   kxhost write DESIGN.kxd [NAME]      DirectWriteCard on the file's bytes, held in memory
 *   kxhost files LISTFILE [NAME]        DirectFilesWrite on a list file
 *   kxhost makelist FILE... -o LIST     writes a list file of the FILEs' full paths
 *
 * Exit status: 0 the library ran its dialog, 1 it could not (or the list file could not be
 * written), 64 bad input (reported in one line on stderr; the library is not called).
 */
#include <kxcard.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXIT_BAD_INPUT 64
/* A design file is a few hundred kilobytes at most; this only keeps a wrong file out of memory. */
#define MAX_DESIGN_BYTES (64u * 1024u * 1024u)

static const char usage[] =
    "usage: kxhost connect [FOLDER] | write DESIGN.kxd [NAME] | files LISTFILE [NAME]"
    " | makelist FILE... -o LIST";

static int bad_input(const char *what, const char *detail) {
    fprintf(stderr, "kxhost: %s%s%s\n", what, detail ? ": " : "", detail ? detail : "");
    return EXIT_BAD_INPUT;
}

/* Copies `text` into a KXCARD_PATH_SIZE buffer; 0 when it does not fit. */
static int copy_string(char *buffer, const char *text) {
    size_t length = strlen(text);
    if (length >= KXCARD_PATH_SIZE) return 0;
    memset(buffer, 0, KXCARD_PATH_SIZE);
    memcpy(buffer, text, length);
    return 1;
}

/* Prints a buffer the library wrote into, never reading past its KXCARD_PATH_SIZE bytes. */
static void print_buffer(const char *label, const char *buffer) {
    const char *end = memchr(buffer, 0, KXCARD_PATH_SIZE);
    int length = end ? (int)(end - buffer) : KXCARD_PATH_SIZE;
    printf("%s: %.*s%s\n", label, length, buffer, end ? "" : " (no terminator)");
}

static int is_file(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* The window that plays the host application's main window and owns the dialogs. */
static HWND make_host_window(const char *command) {
    WNDCLASSA windowClass;
    char title[64];
    HWND window;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "KxHostWindow";
    RegisterClassA(&windowClass);
    snprintf(title, sizeof title, "kxhost %s", command);
    window = CreateWindowExA(0, "KxHostWindow", title, WS_OVERLAPPEDWINDOW, 0, 0, 360, 120, NULL, NULL,
                             windowClass.hInstance, NULL);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

static int exit_status(int result) { return result == KXCARD_DIALOG_FAILED ? 1 : 0; }

static int run_connect(int argc, char **argv) {
    char folder[KXCARD_PATH_SIZE];
    HWND host;
    int result;
    if (argc > 1) return bad_input("connect takes at most one FOLDER", NULL);
    if (!copy_string(folder, argc == 1 ? argv[0] : "")) return bad_input("the folder is too long", argv[0]);
    host = make_host_window("connect");
    result = ConnectCardDlg(host, folder);
    DestroyWindow(host);
    printf("ConnectCardDlg returned %d\n", result);
    print_buffer("folder", folder);
    return exit_status(result);
}

/* The whole file in memory; NULL when it cannot be read or is too large. */
static unsigned char *read_design(const char *path, unsigned int *size) {
    unsigned char *bytes = NULL;
    long length;
    FILE *file = fopen(path, "rb");
    if (!file) return NULL;
    if (fseek(file, 0, SEEK_END) == 0 && (length = ftell(file)) >= 0 && (unsigned long)length <= MAX_DESIGN_BYTES &&
        fseek(file, 0, SEEK_SET) == 0 && (bytes = malloc(length ? (size_t)length : 1)) != NULL) {
        if (fread(bytes, 1, (size_t)length, file) == (size_t)length) {
            *size = (unsigned int)length;
        } else {
            free(bytes);
            bytes = NULL;
        }
    }
    fclose(file);
    return bytes;
}

/* The host's bytes come back changed by a write: print each byte that differs. */
static void print_design_changes(const unsigned char *before, const unsigned char *after, unsigned int size) {
    unsigned int i, changed = 0;
    for (i = 0; i < size; ++i) changed += before[i] != after[i];
    printf("design: %u bytes, %u changed by the library\n", size, changed);
    for (i = 0; i < size; ++i)
        if (before[i] != after[i]) printf("  byte %u: %02X -> %02X\n", i, before[i], after[i]);
}

static int run_write(int argc, char **argv) {
    char name[KXCARD_PATH_SIZE];
    HWND host;
    unsigned char *design, *original;
    unsigned int size = 0;
    int result;
    if (argc < 1 || argc > 2) return bad_input("write takes DESIGN.kxd and an optional NAME", NULL);
    if (!copy_string(name, argc == 2 ? argv[1] : "")) return bad_input("the name is too long", argv[1]);
    if (!is_file(argv[0]) || !(design = read_design(argv[0], &size))) return bad_input("cannot read", argv[0]);
    if (!(original = malloc(size ? size : 1))) {
        free(design);
        return bad_input("out of memory for", argv[0]);
    }
    memcpy(original, design, size);
    host = make_host_window("write");
    result = DirectWriteCard(host, design, size, name);
    DestroyWindow(host);
    printf("DirectWriteCard returned %d\n", result);
    print_design_changes(original, design, size);
    free(original);
    free(design);
    return exit_status(result);
}

static int run_files(int argc, char **argv) {
    char name[KXCARD_PATH_SIZE], list[KXCARD_PATH_SIZE];
    HWND host;
    int result;
    if (argc < 1 || argc > 2) return bad_input("files takes LISTFILE and an optional NAME", NULL);
    if (!copy_string(name, argc == 2 ? argv[1] : "")) return bad_input("the name is too long", argv[1]);
    if (!copy_string(list, argv[0])) return bad_input("the list file's path is too long", argv[0]);
    if (!is_file(list)) return bad_input("no such list file", list);
    host = make_host_window("files");
    result = DirectFilesWrite(host, name, list);
    DestroyWindow(host);
    printf("DirectFilesWrite returned %d\n", result);
    print_buffer("name", name);
    return exit_status(result);
}

/* One record a FILE, its full path padded with NULs; the list is made whole or not at all. */
static int run_makelist(int argc, char **argv) {
    const char *output = NULL;
    char (*records)[KXCARD_LIST_RECORD_SIZE];
    int i, count = 0, status = 0;
    FILE *file;
    for (i = 0; i < argc; ++i) {
        if (strcmp(argv[i], "-o") != 0) ++count;
        else if (output || i + 1 == argc) return bad_input("makelist takes FILE... -o LIST", NULL);
        else output = argv[++i];
    }
    if (!output || count == 0) return bad_input("makelist takes FILE... -o LIST", NULL);
    if (!(records = calloc((size_t)count, KXCARD_LIST_RECORD_SIZE))) return bad_input("out of memory", NULL);
    for (i = 0, count = 0; i < argc && status == 0; ++i) {
        DWORD length;
        if (strcmp(argv[i], "-o") == 0) {
            ++i;
            continue;
        }
        length = GetFullPathNameA(argv[i], KXCARD_LIST_RECORD_SIZE, records[count], NULL);
        if (length == 0 || length >= KXCARD_LIST_RECORD_SIZE) status = bad_input("the path is too long", argv[i]);
        else if (!is_file(records[count])) status = bad_input("no such file", argv[i]);
        else ++count;
    }
    if (status == 0) {
        file = fopen(output, "wb");
        if (!file || fwrite(records, KXCARD_LIST_RECORD_SIZE, (size_t)count, file) != (size_t)count) status = 1;
        if (file && fclose(file) != 0) status = 1;
        if (status) {
            remove(output);
            fprintf(stderr, "kxhost: cannot write %s\n", output);
        } else {
            printf("%s: %d records of %d bytes\n", output, count, KXCARD_LIST_RECORD_SIZE);
        }
    }
    free(records);
    return status;
}

int main(int argc, char **argv) {
    const char *command = argc >= 2 ? argv[1] : "";
    if (strcmp(command, "connect") == 0) return run_connect(argc - 2, argv + 2);
    if (strcmp(command, "write") == 0) return run_write(argc - 2, argv + 2);
    if (strcmp(command, "files") == 0) return run_files(argc - 2, argv + 2);
    if (strcmp(command, "makelist") == 0) return run_makelist(argc - 2, argv + 2);
    return bad_input(usage, NULL);
}
