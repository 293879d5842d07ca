#pragma once
// Whole files: read at once, written through a temporary file, and the folders they need.
#include <sys/types.h>

#include <cstddef>
#include <string>

// The whole file into strText. A file that is not there (nor its folder) reads as the
// empty text. False with errno set when it cannot be read.
bool ReadWholeFile(const std::string& strPath, std::string& strText);

// All n bytes, going on after interruptions and short writes; false with errno set.
bool WriteAll(int fd, const char* p, size_t n);

// The folder and its missing parents, made with the mode; false with errno set.
bool MakeDirectories(const std::string& strDir, mode_t mode);

// Replaces the file with the text through a temporary file beside it, fsync and a rename,
// so a crash or a full disk never leaves half of it; an old file keeps its mode and owner,
// and a link keeps pointing at it. False with the last error set.
bool ReplaceFile(const std::string& strPath, const std::string& strText);
