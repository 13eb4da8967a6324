#pragma once

#include <string>

namespace kumoden {

// How a platform writes paths: POSIX ("/" only) or Windows ("\" and "/",
// drive letters).
enum class PathStyle { posix, windows };

// Where the running program lies: the folder that holds it, without a
// trailing separator except where the folder is a root ("/", "C:\"), or "."
// when the path names no folder; and its file name without the extension
// (a name that starts with its only dot keeps it).
struct ProgramPlace {
    std::string folder;
    std::string name;
};

ProgramPlace SplitProgramPath(const std::string& executable, PathStyle style);

} // namespace kumoden
