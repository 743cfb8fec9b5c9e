#pragma once
// The output document's file, barred from other writers while this process holds it.

#include <cstddef>
#include <cstdio>

// Opens `path` for writing in binary mode without truncating it first, takes an exclusive
// advisory lock on it and only then truncates it, so that a second process aimed at the same
// file fails without touching the first one's document. Null when the file cannot be
// created or opened, is locked by another process, or cannot be truncated. The lock goes
// with CloseOutputFile (or the end of the process).
//
// The stream writes through a buffer of kOutputBufferSize bytes: a harvest writes megabytes of
// small elements, and the default buffer of one file system block costs a system call per block.
FILE* OpenOutputFile(const char* path);

// fclose, then frees the stream's buffer. A stream left open to the end of the process keeps it.
int CloseOutputFile(FILE* stream);

constexpr size_t kOutputBufferSize = 64 * 1024;
