#include "watch/archive.h"

#include "watch/archive_files.h"
#include "watch/watch_services.h"

#include <utility>

namespace kumoden {

using namespace archive_files;

namespace {

TakeOutcome::Kind takeKind(FileStep::Kind kind)
{
    switch (kind) {
    case FileStep::inUse:
        return TakeOutcome::inUse;
    case FileStep::missing:
        return TakeOutcome::vanished;
    case FileStep::otherFile:
        return TakeOutcome::otherFile;
    case FileStep::noRoom:
        return TakeOutcome::noRoom;
    default:
        return TakeOutcome::failed;
    }
}

} // namespace

bool IsPlainFileName(std::string_view name)
{
    return !name.empty() && name.front() != '.' &&
           name.find_first_of(std::string_view("/\\\n\0", 4)) == std::string_view::npos;
}

std::string NumberedName(const std::string& name, int number)
{
    const auto dot = name.rfind('.');
    const std::size_t stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, stem) + " (" + std::to_string(number) + ")" + name.substr(stem);
}

Archive::Archive(std::string watchedPath, FileSystem& files, ArchiveMemory& memory)
    : m_watched(std::move(watchedPath)),
      m_folder(m_watched + std::string(kBackupFolderName) + files.separator()), m_files(files),
      m_memory(memory)
{
}

Archive::~Archive() = default;

std::string Archive::work(std::string_view name) const
{
    return m_folder + std::string(kWorkFolder) + m_files.separator() + std::string(name);
}

FileStep Archive::lock(bool create)
{
    if (m_lock) {
        return {};
    }
    const std::string archive = m_folder.substr(0, m_folder.size() - 1);
    const std::string workFolder = m_folder + std::string(kWorkFolder);
    if (!m_files.folderExists(workFolder)) {
        if (!create) {
            return {FileStep::missing, {}};
        }
        if (!m_files.folderExists(archive)) {
            m_files.createFolder(archive);
        }
        if (!m_files.createFolder(workFolder) && !m_files.folderExists(workFolder)) {
            return {FileStep::failed, "フォルダーを作れません: " + workFolder};
        }
    }
    FileStep step;
    m_lock = m_files.lockFile(work(kLockName), step);
    return m_lock ? FileStep{} : step;
}

void Archive::unlock()
{
    m_lock.reset();
}

namespace {

// The name a record holds; nothing when there is no record. A record that
// names anything but a plain file of the archive is not the program's.
std::optional<std::string> readRecord(FileSystem& files, const std::string& path, Recovery& recovery)
{
    if (!files.fileExists(path)) {
        return std::nullopt;
    }
    auto name = files.readSmallFile(path);
    if (name && IsPlainFileName(*name)) {
        return name;
    }
    if (name) {
        files.deleteFile(path, true);
    }
    recovery.stuck.emplace_back(path, name ? "記録の内容がファイル名ではありません" : "記録を読めません");
    return std::nullopt;
}

} // namespace

Recovery Archive::recover()
{
    Recovery recovery;
    if (const auto name = readRecord(m_files, work(kBackRecord), recovery)) {
        std::string returnedAs;
        std::string why;
        if (finishGiveBack(*name, returnedAs, why)) {
            if (!returnedAs.empty()) {
                recovery.returned.push_back(returnedAs);
            }
        } else {
            recovery.stuck.emplace_back(m_folder + *name, why);
        }
    }
    if (const auto name = readRecord(m_files, work(kTakeRecord), recovery)) {
        recoverTake(*name, recovery);
    }
    if (const auto name = readRecord(m_files, work(kReadyRecord), recovery)) {
        if (finishTake(*name, recovery)) {
            recovery.due = *name;
        }
    }
    return recovery;
}

void Archive::recoverTake(const std::string& name, Recovery& recovery)
{
    if (m_files.fileExists(work(kFile))) {
        // Whole in the archive's work folder: on to its place.
        if (const FileStep step = m_files.renameNew(work(kTakeRecord), work(kReadyRecord)); !step) {
            recovery.stuck.emplace_back(work(kFile), step.reason);
        } else if (finishTake(name, recovery)) {
            recovery.due = name;
        }
        return;
    }
    // Not yet whole there: the file goes back to where it was found.
    if (m_files.fileExists(work(kPart))) {
        m_files.deleteFile(work(kPart), true);
    }
    if (m_files.fileExists(watched(kTakenAside))) {
        std::string returnedAs;
        if (const FileStep step = putBack(watched(kTakenAside), name, returnedAs); !step) {
            recovery.stuck.emplace_back(watched(kTakenAside), step.reason);
            return;
        }
        recovery.returned.push_back(returnedAs);
    }
    dropRecord(kTakeRecord);
}

bool Archive::finishTake(const std::string& name, Recovery& recovery)
{
    const std::string backup = m_folder + name;
    if (m_files.fileExists(work(kFile))) {
        // An older backup of the name is set aside, then replaced.
        if (m_files.fileExists(backup)) {
            if (m_files.fileExists(work(kOld))) {
                m_files.deleteFile(work(kOld), true);
            }
            if (const FileStep step = m_files.renameNew(backup, work(kOld)); !step) {
                recovery.stuck.emplace_back(backup, step.reason);
                return false;
            }
        }
        if (const FileStep step = m_files.renameNew(work(kFile), backup); !step) {
            recovery.stuck.emplace_back(work(kFile), step.reason);
            return false;
        }
    }
    // What stays of the older backup, and of the file where it was found
    // before its copy was made whole.
    for (const std::string& path : {work(kOld), watched(kTakenAside)}) {
        if (m_files.fileExists(path)) {
            m_files.deleteFile(path, true);
        }
    }
    return true;
}

bool Archive::heldBack(const std::string& name)
{
    const auto it = m_memory.heldBack.find(watched(name));
    if (it == m_memory.heldBack.end()) {
        return false;
    }
    bool same = m_files.fileStamp(watched(name)) == it->second.stamp;
    if (same && it->second.room) {
        const auto room = m_files.freeSpace(m_folder);
        same = !room || *room <= *it->second.room;
    }
    if (!same) {
        m_memory.heldBack.erase(it);
    }
    return same;
}

void Archive::holdBack(const std::string& name, bool forRoom)
{
    m_memory.heldBack[watched(name)] = {m_files.fileStamp(watched(name)),
                                        forRoom ? m_files.freeSpace(m_folder) : std::nullopt};
}

TakeOutcome Archive::take(const std::string& name, const FileIdentity& found, std::int64_t length)
{
    for (const std::string_view record : {kTakeRecord, kReadyRecord, kBackRecord}) {
        if (m_files.fileExists(work(record))) {
            return {TakeOutcome::stuck, "前の移動が終わっていません: " + work(record)};
        }
    }
    if (beingRead(name)) {
        return {TakeOutcome::waitsForReader, {}};
    }
    FileStep held;
    const auto hold = m_files.holdFile(watched(name), found, held);
    if (!hold) {
        return {takeKind(held.kind), held.reason};
    }
    if (const FileStep step = m_files.writeNew(work(kTakeRecord), name); !step) {
        return {TakeOutcome::noRecord, step.reason};
    }
    const FileStep moved = m_files.renameNew(watched(name), work(kFile));
    if (moved.kind == FileStep::otherVolume) {
        if (TakeOutcome outcome = takeAcross(name, found, length); outcome.kind != TakeOutcome::taken) {
            return outcome;
        }
    } else if (!moved) {
        dropRecord(kTakeRecord);
        if (moved.kind == FileStep::nameTooLong) {
            holdBack(name, false);
        }
        return {takeKind(moved.kind), moved.reason};
    } else if (m_files.fileIdentity(work(kFile)) != found) {
        // Another file took the name between the hold and the move.
        return undoTake(work(kFile), name, {TakeOutcome::otherFile, {}});
    }
    if (const FileStep step = m_files.renameNew(work(kTakeRecord), work(kReadyRecord)); !step) {
        return {TakeOutcome::stuck, step.reason};
    }
    Recovery recovery;
    if (!finishTake(name, recovery)) {
        return {TakeOutcome::stuck, recovery.stuck.empty() ? std::string() : recovery.stuck.front().second};
    }
    m_memory.heldBack.erase(watched(name));
    return {TakeOutcome::taken, {}};
}

TakeOutcome Archive::takeAcross(const std::string& name, const FileIdentity& found, std::int64_t length)
{
    // A copy that cannot fit is not begun.
    if (const auto room = m_files.freeSpace(m_folder); room && *room < length) {
        dropRecord(kTakeRecord);
        holdBack(name, true);
        return {TakeOutcome::noRoom,
                "空き " + std::to_string(*room) + " バイト、必要 " + std::to_string(length) + " バイト"};
    }
    if (const FileStep step = m_files.renameNew(watched(name), watched(kTakenAside)); !step) {
        dropRecord(kTakeRecord);
        return {takeKind(step.kind), step.reason};
    }
    if (m_files.fileIdentity(watched(kTakenAside)) != found) {
        return undoTake(watched(kTakenAside), name, {TakeOutcome::otherFile, {}});
    }
    FileStep copied = m_files.copyNew(watched(kTakenAside), work(kPart));
    if (copied) {
        copied = m_files.renameNew(work(kPart), work(kFile));
    }
    if (!copied) {
        if (m_files.fileExists(work(kPart))) {
            m_files.deleteFile(work(kPart), true);
        }
        TakeOutcome outcome = undoTake(watched(kTakenAside), name, {takeKind(copied.kind), copied.reason});
        if (copied.kind == FileStep::noRoom || copied.kind == FileStep::nameTooLong) {
            holdBack(name, copied.kind == FileStep::noRoom);
        }
        return outcome;
    }
    // Whole in the archive: the file it was made from goes (should that
    // fail, the end of the take removes it).
    m_files.deleteFile(watched(kTakenAside), true);
    return {TakeOutcome::taken, {}};
}

TakeOutcome Archive::undoTake(const std::string& from, const std::string& name, TakeOutcome outcome)
{
    std::string returnedAs;
    if (const FileStep step = putBack(from, name, returnedAs); !step) {
        // The record stays: the next holder of the lock tries again.
        return {TakeOutcome::stuck, step.reason};
    }
    dropRecord(kTakeRecord);
    return outcome;
}

FileStep Archive::launchDue()
{
    if (!m_files.deleteFile(work(kReadyRecord), true)) {
        return {FileStep::failed, "記録を消せません: " + work(kReadyRecord)};
    }
    return {};
}

void Archive::dropRecord(std::string_view record)
{
    m_files.deleteFile(work(record), true);
}

bool Archive::beingRead(const std::string& name) const
{
    return m_memory.beingRead.contains(m_folder + name);
}

} // namespace kumoden
