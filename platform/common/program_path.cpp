#include "platform/common/program_path.h"

namespace kumoden {

ProgramPlace SplitProgramPath(const std::string& executable, PathStyle style)
{
    const bool windows = style == PathStyle::windows;
    const auto cut = executable.find_last_of(windows ? "\\/" : "/");
    ProgramPlace place;
    const std::string name = cut == std::string::npos ? executable : executable.substr(cut + 1);
    if (cut == std::string::npos) {
        place.folder = ".";
    } else {
        place.folder = executable.substr(0, cut);
        // A root keeps its separator; on Windows "C:" alone would name the
        // drive's current folder, not its root.
        if (place.folder.empty() || (windows && place.folder.back() == ':')) {
            place.folder += windows ? '\\' : '/';
        }
    }
    const auto dot = name.rfind('.');
    place.name = (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
    return place;
}

} // namespace kumoden
