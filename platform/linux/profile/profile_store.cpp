#include "platform/linux/profile/profile_store.h"

#include "platform/common/profile_rules.h"
#include "platform/linux/profile/ini_parse.h"
#include "platform/linux/profile/profile_file.h"
#include "platform/linux/profile/text_encoding.h"

#include <optional>
#include <string>
#include <string_view>

namespace kumoden {

namespace {

using profile::FileContent;
using profile::TextEncoding;

// Whether the names and value would be found again as written.
bool canWrite(std::string_view section, std::string_view key, std::string_view value)
{
    return ProfileCanHold(section, key, value) && profile::isValidUtf8(section) &&
           profile::isValidUtf8(key) && profile::isValidUtf8(value);
}

// The file's bytes with the key set, in the file's encoding; nothing when
// a name or the value cannot be held in it.
std::optional<std::string> withValue(std::string_view file, std::string_view section, std::string_view key,
                                     std::string_view value)
{
    const TextEncoding encoding = profile::detectEncoding(file);
    const auto encodedSection = profile::fromUtf8(section, encoding);
    const auto encodedKey = profile::fromUtf8(key, encoding);
    const auto encodedValue = profile::fromUtf8(value, encoding);
    if (!encodedSection || !encodedKey || !encodedValue) {
        return std::nullopt;
    }
    // A name written with a best fit would be found by the fit only, and by
    // nothing once the file is plain ASCII and read as UTF-8.
    if (encoding == TextEncoding::Cp932 &&
        (profile::cp932ReadBack(section) != section || profile::cp932ReadBack(key) != key)) {
        return std::nullopt;
    }
    const std::string_view lineEnd = profile::lineEndStyle(file);
    const profile::KeyLookup found = profile::findKey(file, encoding, section, key);

    std::string result;
    result.reserve(file.size() + section.size() + key.size() + value.size() + 8);
    if (found.keyFound) {
        // Everything up to and including '=' stays as written, key spelling
        // too; a key line without '=' gets one.
        result.append(file.substr(0, found.key.equals));
        result.append("=");
        result.append(*encodedValue);
        result.append(file.substr(found.key.end));
        return result;
    }
    if (found.sectionFound) {
        // After the section's last non-blank line, so blank lines that set
        // it off from the next section stay below the new key.
        const profile::IniLine& last = found.lastContent;
        result.append(file.substr(0, last.next));
        if (last.next == last.end) {
            result.append(lineEnd); // the last line of the file had no line end
        }
        result.append(*encodedKey).append("=").append(*encodedValue).append(lineEnd);
        result.append(file.substr(last.next));
        return result;
    }
    result.append(file);
    if (file.size() > profile::bodyStart(file) && file.back() != '\n' && file.back() != '\r') {
        result.append(lineEnd);
    }
    result.append("[").append(*encodedSection).append("]").append(lineEnd);
    result.append(*encodedKey).append("=").append(*encodedValue).append(lineEnd);
    return result;
}

// Whether the rewritten file is still read in the encoding it had. The
// encoding is told from the whole file, so a CP932 file whose last bytes
// that are not UTF-8 get replaced would turn into UTF-8, and every other
// non-ASCII line and the new value would read as different characters.
bool keepsEncoding(std::string_view before, std::string_view after)
{
    return profile::detectEncoding(before) == profile::detectEncoding(after) ||
           profile::isAscii(after.substr(profile::bodyStart(after)));
}

} // namespace

std::string ProfileStore::readString(const std::string& section, const std::string& key,
                                     const std::string& path, std::size_t capacity)
{
    if (capacity <= 1) {
        return {};
    }
    const FileContent content = profile::readFile(path);
    if (content.status != FileContent::Status::Read) {
        return {};
    }
    const std::string_view file = content.bytes;
    const TextEncoding encoding = profile::detectEncoding(file);
    const profile::KeyLookup found =
        profile::findKey(file, encoding, profile::trimBlanks(section), profile::trimBlanks(key));
    if (!found.keyFound) {
        return {};
    }
    std::string_view value = profile::keyValue(file, found.key);
    // The limit counts bytes of the file's encoding, as the Windows buffer did.
    value = value.substr(0, profile::cutAtCharBoundary(value, capacity - 1, encoding));
    return profile::toUtf8(value, encoding);
}

bool ProfileStore::writeString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& path)
{
    const std::string_view wantedSection = profile::trimBlanks(section);
    const std::string_view wantedKey = profile::trimBlanks(key);
    if (!canWrite(wantedSection, wantedKey, value)) {
        return false;
    }
    const auto target = profile::resolveLinks(path);
    if (!target) {
        return false;
    }
    const FileContent content = profile::readFile(*target);
    if (content.status == FileContent::Status::Failed) {
        return false;
    }
    const bool exists = content.status == FileContent::Status::Read;
    // A file the user made read-only is refused, as Windows refuses it,
    // even though the rename would get past it.
    if (exists && !content.writable) {
        return false;
    }
    const auto updated = withValue(content.bytes, wantedSection, wantedKey, value);
    if (!updated || !keepsEncoding(content.bytes, *updated)) {
        return false;
    }
    return profile::replaceFile(*target, *updated, exists ? &content : nullptr);
}

} // namespace kumoden
