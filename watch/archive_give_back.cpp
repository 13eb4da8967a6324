// The way back: a file of the archive returns to the watched folder under
// its own name or the first free numbered one, through a copy where the
// archive lies on another file system.
#include "watch/archive.h"

#include "watch/archive_files.h"
#include "watch/watch_services.h"

namespace kumoden {

using namespace archive_files;

std::string Archive::giveBack(const std::string& name, std::string& why)
{
    if (const FileStep step = m_files.writeNew(work(kBackRecord), name); !step) {
        why = step.reason;
        return {};
    }
    std::string returnedAs;
    if (!finishGiveBack(name, returnedAs, why)) {
        return {};
    }
    return returnedAs;
}

bool Archive::finishGiveBack(const std::string& name, std::string& returnedAs, std::string& why)
{
    const std::string backup = m_folder + name;
    if (!m_files.fileExists(work(kFile)) && !m_files.fileExists(watched(kReturning)) &&
        m_files.fileExists(backup)) {
        const FileStep step = putBack(backup, name, returnedAs);
        if (step || step.kind == FileStep::exists) {
            // Every name taken: the file stays in the archive, and the user is told.
            dropRecord(kBackRecord);
            why = step.reason;
            return static_cast<bool>(step);
        }
        if (step.kind != FileStep::otherVolume) {
            why = step.reason;
            return false;
        }
        // A copy is made only when a name waits for it.
        if (!hasFreeName(name)) {
            dropRecord(kBackRecord);
            why = "監視フォルダーに同じ名前のファイルがあります";
            return false;
        }
        if (const FileStep moved = m_files.renameNew(backup, work(kFile)); !moved) {
            why = moved.reason;
            return false;
        }
    }
    // Another file system: a copy beside the watched files, made whole
    // before the archive's file goes, then named.
    if (m_files.fileExists(work(kFile))) {
        if (m_files.fileExists(watched(kReturning))) {
            m_files.deleteFile(watched(kReturning), true);
        }
        if (const FileStep copied = m_files.copyNew(work(kFile), watched(kReturning)); !copied) {
            why = copied.reason;
            return false;
        }
        if (!m_files.deleteFile(work(kFile), true)) {
            why = "ファイルを消せません: " + work(kFile);
            return false;
        }
    }
    if (m_files.fileExists(watched(kReturning))) {
        if (const FileStep step = putBack(watched(kReturning), name, returnedAs); !step) {
            why = step.reason;
            return false;
        }
    }
    dropRecord(kBackRecord);
    return true;
}

bool Archive::hasFreeName(const std::string& name)
{
    for (int number = 1; number <= kLastFreeNameNumber; ++number) {
        if (!m_files.fileExists(watched(number == 1 ? name : NumberedName(name, number)))) {
            return true;
        }
    }
    return false;
}

FileStep Archive::putBack(const std::string& from, const std::string& name, std::string& returnedAs)
{
    FileStep step;
    for (int number = 1; number <= kLastFreeNameNumber; ++number) {
        const std::string free = number == 1 ? name : NumberedName(name, number);
        step = m_files.renameNew(from, watched(free));
        if (step) {
            returnedAs = free;
            return step;
        }
        // A number that makes the name too long is no free name either.
        if (step.kind != FileStep::exists && !(number > 1 && step.kind == FileStep::nameTooLong)) {
            return step;
        }
    }
    step.kind = FileStep::exists;
    step.reason =
        "監視フォルダーに同じ名前のファイルがあります (" + NumberedName(name, kLastFreeNameNumber) + " まで)";
    return step;
}

} // namespace kumoden
