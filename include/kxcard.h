/* kxcard.h: the three functions of kxcard.dll, the memory-card module, as a host application
 * calls them. C and C++, MSVC and mingw, 32- and 64-bit Windows.
 *
 * Each function records what the host passes, runs one modal dialog owned by `parent` on the
 * calling thread, and when the dialog ends hands its results back. Call them one at a time.
 *
 * Strings are 8-bit (the ANSI code page) and NUL-terminated. Every string the host passes must
 * have at most 259 characters (KXCARD_PATH_SIZE - 1). A buffer the library writes back into must
 * hold KXCARD_PATH_SIZE bytes: all of them are cleared before the new text is copied in.
 *
 * Linking:
 *   mingw:  gcc host.c -Ipath/to/include -Lpath/to/lib -lkxcard   (lib/libkxcard.dll.a)
 *   MSVC:   lib /def:kxcard.def /machine:x86 /out:kxcard.lib     (once; then link kxcard.lib)
 * kxcard.dll must lie beside the host's executable or on the DLL search path.
 */
#ifndef KXCARD_H
#define KXCARD_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The size of every string buffer shared with the library, terminator included. */
#define KXCARD_PATH_SIZE 260

/* The list file of DirectFilesWrite is a sequence of records of this size, each one path,
 * NUL-terminated and padded with NULs to the full record. The number of records is the file's
 * size divided by the record size; a remainder is ignored. */
#define KXCARD_LIST_RECORD_SIZE 260

/* What the functions return. */
#define KXCARD_DIALOG_FAILED 0    /* the dialog could not be created */
#define KXCARD_DIALOG_CLOSED 1    /* the dialog ran and was closed (after a write, by Close or
                                     the close box; ConnectCardDlg and DirectWriteCard also
                                     when the user cancelled the no-card prompt) */
#define KXCARD_CARD_CANCELLED 2   /* DirectFilesWrite only: the user answered Cancel when asked
                                     to insert the card, so nothing was written */

/* Runs the main dialog: designs move between PC folders and the card.
 *   folder  in and out, KXCARD_PATH_SIZE bytes. In: the PC folder to start in; it becomes the
 *           process's current directory. An empty or unusable folder starts in the folder of the
 *           host's executable instead (the current directory is then left as it was).
 *           Out, when the dialog ran: the PC folder the dialog recorded last (its start folder,
 *           or the PC folder of the last successful write or read), ending with a backslash.
 *           Untouched when the dialog could not be created.
 * Returns KXCARD_DIALOG_CLOSED or KXCARD_DIALOG_FAILED. */
int __cdecl ConnectCardDlg(HWND parent, char *folder);

/* Runs the write dialog on one design the host holds in memory (a whole .kxd file).
 *   design  the file's bytes, header first. Not copied: a write adjusts the header's hoop
 *           fields in place, so the host's bytes come back changed. Used only during the call.
 *   size    the number of bytes at `design`.
 *   name    read only: the file name on the card, extension included; "" asks for a name made
 *           from the current time (twelve base-36 digits and ".kxd"), which is not handed back.
 * Returns KXCARD_DIALOG_CLOSED or KXCARD_DIALOG_FAILED. */
int __cdecl DirectWriteCard(HWND parent, unsigned char *design, unsigned int size, const char *name);

/* Runs the write dialog on the design files named in a list file.
 *   name      in and out, KXCARD_PATH_SIZE bytes. In: the prefix for the card file names (its base
 *             name is put before each listed file's base name); "" asks for a name made from the
 *             current time. Out, always (even when the dialog could not be created): the name in
 *             force at the end, the user's choice from the dialog's Name button included.
 *   listFile  read only: the path of the list file (records of KXCARD_LIST_RECORD_SIZE bytes).
 *             Listed files may be changed in place (their hoop fields and pair mark).
 * Returns KXCARD_DIALOG_CLOSED, KXCARD_CARD_CANCELLED or KXCARD_DIALOG_FAILED. */
int __cdecl DirectFilesWrite(HWND parent, char *name, const char *listFile);

#ifdef __cplusplus
}
#endif

#endif /* KXCARD_H */
