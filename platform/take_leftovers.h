#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kumoden {

// A take puts the file beside its archive name under a temporary name
// first; should the process die before the last step, the file stays there
// under that name. Both backends name those files, and undo them, the same
// way: the rules are here, the backends only do the moves.

// How far a take had got with the file under a temporary name.
enum class TakeStage : char {
    Moved = 'm',   // the file itself, moved within one file system
    Copying = 'p', // a copy being written (another file system); the file stays where it was
    Copied = 'c',  // a whole copy; the file where it was goes next
};

// ".kumoden-<stage><number>~<name>": hidden on Linux by its dot, and made
// hidden on Windows by its attribute.
std::string TakeTemporaryName(TakeStage stage, unsigned number, const std::string& name);

struct TakeTemporary {
    TakeStage stage;
    std::string name; // empty for a copy of an older version, which named none
};

// The temporary a name stands for; nothing for any other name. Also reads
// the names older versions gave on Linux (".kumoden-<pid>-<n>~<name>", and
// without "~<name>" for a copy whose file was never removed).
std::optional<TakeTemporary> ParseTakeTemporary(std::string_view name);

// What tells a whole copy from a newcomer of the same name: a copy keeps
// the length and the last write of the file it was made from.
struct TakeStamp {
    std::int64_t length = 0;
    std::int64_t written = 0;
    bool operator==(const TakeStamp&) const = default;
};

struct LeftoverFacts {
    TakeStage stage;
    bool named;        // the temporary carries the file's name
    bool owned;        // a take that runs still holds it
    bool sourceWaits;  // a file of that name is in the watched folder
    bool sameAsSource; // Copied: that file has the copy's stamp
};

enum class LeftoverStep {
    Leave,   // another process's take, still going on
    PutBack, // into the watched folder, never over a file there
    Discard, // a copy of a file that still waits in the watched folder
    Stuck,   // nothing can be done with it: the user is told
};

LeftoverStep DecideLeftover(const LeftoverFacts& facts);

// The name a file goes back under when its own is taken: "a.pdf" gives
// "a (2).pdf" for 2.
std::string OldNumberedName(const std::string& name, int number);

// The last number tried: a file whose own name and "name (2)" to
// "name (9)" are all taken stays where it is, and the user is told.
inline constexpr int kOldLastFreeNameNumber = 9;

// Puts a file back into a folder, never over a file there: under its own
// name, else the first of "name (2)" ... that put accepts. The name it went
// under, or empty when every try failed.
std::string PutUnderFreeName(const std::string& name, const std::function<bool(const std::string&)>& put);

// The moves the undo needs from a backend.
class LeftoverMechanics {
public:
    LeftoverMechanics() = default;
    LeftoverMechanics(const LeftoverMechanics&) = delete;
    LeftoverMechanics& operator=(const LeftoverMechanics&) = delete;
    virtual ~LeftoverMechanics() = default;

    // The names in the folder that start like a temporary, hidden ones too.
    virtual std::vector<std::string> temporaries(const std::string& folder) = 0;
    // Whether a running take holds the file (a lock or an open handle that
    // goes with the process, whatever number the process had).
    virtual bool owned(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual std::optional<TakeStamp> stamp(const std::string& path) = 0;
    // Moves without ever replacing a file, and makes the file an ordinary,
    // visible one where it arrives.
    virtual bool putBack(const std::string& temporary, const std::string& destination) = 0;
    virtual bool remove(const std::string& path) = 0;
};

// Undoes the takes cut short in archive (a folder path ending in the
// separator), whose files came from watched (the same). Returns the paths
// of the temporaries that could not be undone.
std::vector<std::string> UndoTakesCutShort(const std::string& archive, const std::string& watched,
                                           LeftoverMechanics& mechanics);

} // namespace kumoden
