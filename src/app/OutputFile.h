#pragma once
// The output document's file, barred from other writers while this process holds it.

#include <cstdio>

// Opens `path` for writing in binary mode without truncating it first, takes an exclusive
// advisory lock on it and only then truncates it, so that a second process aimed at the same
// file fails without touching the first one's document. Null when the file cannot be
// created or opened, is locked by another process, or cannot be truncated. The lock goes
// with the stream's fclose (or the end of the process).
FILE* OpenOutputFile(const char* path);
