#include "platform/take_leftovers.h"

#include <charconv>

namespace kumoden {
namespace {

constexpr std::string_view kPrefix = ".kumoden-";

bool isStage(char c)
{
    return c == static_cast<char>(TakeStage::Moved) || c == static_cast<char>(TakeStage::Copying) ||
           c == static_cast<char>(TakeStage::Copied);
}

// Reads the digits at the front of text; nothing when there are none.
std::optional<std::string_view> afterNumber(std::string_view text)
{
    unsigned long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc()) {
        return std::nullopt;
    }
    return text.substr(static_cast<std::size_t>(end - text.data()));
}

// "~<name>", with a name that stays in its folder.
std::optional<std::string> fileName(std::string_view rest)
{
    if (rest.size() < 2 || rest.front() != '~') {
        return std::nullopt;
    }
    const std::string_view name = rest.substr(1);
    if (name == "." || name == ".." || name.find_first_of("/\\") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(name);
}

// The names older versions gave: "<pid>-<n>~<name>", or "<pid>-<n>" for a copy.
std::optional<TakeTemporary> parseOlder(std::string_view rest)
{
    const auto afterPid = afterNumber(rest);
    if (!afterPid || afterPid->empty() || afterPid->front() != '-') {
        return std::nullopt;
    }
    const auto afterCount = afterNumber(afterPid->substr(1));
    if (!afterCount) {
        return std::nullopt;
    }
    if (afterCount->empty()) {
        return TakeTemporary{TakeStage::Copied, {}};
    }
    if (auto name = fileName(*afterCount)) {
        return TakeTemporary{TakeStage::Moved, std::move(*name)};
    }
    return std::nullopt;
}

} // namespace

std::string TakeTemporaryName(TakeStage stage, unsigned number, const std::string& name)
{
    return std::string(kPrefix) + static_cast<char>(stage) + std::to_string(number) + "~" + name;
}

std::optional<TakeTemporary> ParseTakeTemporary(std::string_view name)
{
    if (!name.starts_with(kPrefix) || name.size() == kPrefix.size()) {
        return std::nullopt;
    }
    const std::string_view rest = name.substr(kPrefix.size());
    if (!isStage(rest.front())) {
        return parseOlder(rest);
    }
    const auto afterCount = afterNumber(rest.substr(1));
    if (!afterCount) {
        return std::nullopt;
    }
    if (auto file = fileName(*afterCount)) {
        return TakeTemporary{static_cast<TakeStage>(rest.front()), std::move(*file)};
    }
    return std::nullopt;
}

LeftoverStep DecideLeftover(const LeftoverFacts& facts)
{
    if (facts.owned) {
        return LeftoverStep::Leave;
    }
    if (!facts.named) {
        // Older versions removed the file only after naming its copy.
        return LeftoverStep::Discard;
    }
    switch (facts.stage) {
    case TakeStage::Moved:
        return LeftoverStep::PutBack;
    case TakeStage::Copying:
        // Part of a file: of use only while the file itself is there.
        return facts.sourceWaits ? LeftoverStep::Discard : LeftoverStep::Stuck;
    case TakeStage::Copied:
        // A newcomer of the same name is another file: both stay.
        return facts.sourceWaits && facts.sameAsSource ? LeftoverStep::Discard : LeftoverStep::PutBack;
    }
    return LeftoverStep::Stuck;
}

std::string OldNumberedName(const std::string& name, int number)
{
    const auto dot = name.rfind('.');
    const std::size_t stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, stem) + " (" + std::to_string(number) + ")" + name.substr(stem);
}

std::string PutUnderFreeName(const std::string& name, const std::function<bool(const std::string&)>& put)
{
    if (put(name)) {
        return name;
    }
    for (int number = 2; number <= kOldLastFreeNameNumber; ++number) {
        if (std::string other = OldNumberedName(name, number); put(other)) {
            return other;
        }
    }
    return {};
}

std::vector<std::string> UndoTakesCutShort(const std::string& archive, const std::string& watched,
                                           LeftoverMechanics& mechanics)
{
    std::vector<std::string> notUndone;
    for (const std::string& hidden : mechanics.temporaries(archive)) {
        const auto temporary = ParseTakeTemporary(hidden);
        const std::string path = archive + hidden;
        if (!temporary || !mechanics.exists(path)) {
            continue;
        }
        LeftoverFacts facts{temporary->stage, !temporary->name.empty(), mechanics.owned(path), false, false};
        const std::string source = watched + temporary->name;
        if (facts.named && !facts.owned) {
            facts.sourceWaits = mechanics.exists(source);
            if (facts.sourceWaits && facts.stage == TakeStage::Copied) {
                const auto copy = mechanics.stamp(path);
                facts.sameAsSource = copy && copy == mechanics.stamp(source);
            }
        }
        bool undone = true;
        switch (DecideLeftover(facts)) {
        case LeftoverStep::Leave:
            break;
        case LeftoverStep::PutBack:
            undone = !PutUnderFreeName(temporary->name, [&](const std::string& name) {
                          return mechanics.putBack(path, watched + name);
                      }).empty();
            break;
        case LeftoverStep::Discard:
            undone = mechanics.remove(path);
            break;
        case LeftoverStep::Stuck:
            undone = false;
            break;
        }
        if (!undone) {
            notUndone.push_back(path);
        }
    }
    return notUndone;
}

} // namespace kumoden
