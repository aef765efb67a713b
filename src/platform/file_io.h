#pragma once
// Whole files: everything the program reads or writes as a whole (the
// settings file, the report, the desktop's lists and entries) goes through
// here. Only regular files are read or written, and none is ever waited on:
// a FIFO, a device or a directory in a file's place is a failure.
#include "platform/fs.h"

#include <memory>
#include <string>

// Reads at most maxBytes of the file; contents are left alone on failure.
ReadResult readWholeFile(const Text& path, std::string& contents, std::size_t maxBytes);

// Creates (or truncates) a file for writing; null on failure.
std::unique_ptr<TextFileWriter> createTextFileWriter(const Text& path);

// Gives the file these contents, as FileSystem::rewriteFile says.
bool rewriteWholeFile(const Text& path, const std::string& contents);

// Reads the file and rewrites it with edit's change, as FileSystem::editFile says.
bool editWholeFile(const Text& path, std::size_t maxBytes, const FileSystem::FileEdit& edit);
