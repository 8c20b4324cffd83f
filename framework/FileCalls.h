#pragma once
// The calls of Linux's own that the file layer uses where the system has
// them, each with the way taken where it has not (macOS among them). A build
// with QUELMAR_PORTABLE_FILE_CALLS takes those ways on Linux too, so that
// the tests run the code that macOS compiles.
//
//   call                          where it is missing
//   open(O_TMPFILE)               each new file under a hidden name until whole
//   linkat(AT_EMPTY_PATH)         (only for files without a name)
//   linkat of /proc/self/fd/N     (only for files without a name)
//   renameat2(RENAME_NOREPLACE)   the name tested first, then renameat
//   /proc/self/fd/N/name paths    attributes through the entry opened itself
//   open(O_PATH)                  a folder handle opened for reading
#include <fcntl.h>
#include <stdio.h>

#if defined(O_TMPFILE) && !defined(QUELMAR_PORTABLE_FILE_CALLS)
#define QUELMAR_UNNAMED_FILES 1
#endif
#if defined(AT_EMPTY_PATH) && !defined(QUELMAR_PORTABLE_FILE_CALLS)
#define QUELMAR_EMPTY_PATH_LINKS 1
#endif
#if defined(RENAME_NOREPLACE) && !defined(QUELMAR_PORTABLE_FILE_CALLS)
#define QUELMAR_EXCLUSIVE_RENAME 1
#endif
#if defined(__linux__) && !defined(QUELMAR_PORTABLE_FILE_CALLS)
#define QUELMAR_PROC_FD_PATHS 1
#endif
#if defined(O_PATH) && !defined(QUELMAR_PORTABLE_FILE_CALLS)
#define QUELMAR_FOLDER_HANDLE_MODE O_PATH
#else
#define QUELMAR_FOLDER_HANDLE_MODE O_RDONLY
#endif
