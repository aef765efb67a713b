#pragma once
// A stand-in program that writes down how it was started.
#include "support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <sys/stat.h>

// A program that records its working directory, its session and its
// arguments, one a line, into record; the file appears whole (renamed into
// place) once the program has run.
inline std::string writeRecorder(const TempDir& dir, const std::string& name, const std::string& record)
{
    const std::string path = dir.write(
        name,
        "#!/bin/sh\n"
        "out='" + record + "'\n"
        "{ pwd; cut -d' ' -f6 /proc/$$/stat; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$out.part\"\n"
        "mv \"$out.part\" \"$out\"\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

// Waits for the recorder's file; bounded, so a program that never ran fails
// the test instead of hanging it.
inline std::string waitForRecord(const std::string& record)
{
    for (int i = 0; i < 3000; ++i) {
        if (std::filesystem::exists(record)) return TempDir::read(record);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "(never written)";
}
