// Arbitrary bytes as the program's INI file, read by the real store from a
// real file, loaded as the settings and turned into what the watch uses;
// then one key written through the store as the settings dialog writes it.
//
// Input: the file's bytes, optionally followed by
//   <mark> section <mark> key <mark> value
// to choose the write (<mark> is kMark). Without it the dialog's own case
// is taken: a settings key rewritten with a value loaded from the file.

#include "model/settings.h"
#include "platform/common/wildcard.h"
#include "platform/linux/profile/ini_parse.h"
#include "platform/linux/profile/profile_file.h"
#include "platform/linux/profile/profile_store.h"
#include "platform/linux/profile/text_encoding.h"
#include "watch/backup_purge.h"
#include "watch/print_command.h"
#include "watch/watch_cycle.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace kumoden;

// Stops the run so that libFuzzer keeps the input that got here.
[[noreturn]] void Fault(const char* what)
{
    std::fprintf(stderr, "profile fuzz: %s\n", what);
    std::abort();
}

// What a reader gets back for a value that was written: blanks around it
// dropped, then one pair of enclosing quotes.
std::string ReaderView(std::string_view value)
{
    const std::size_t begin = value.find_first_not_of(" \t");
    if (begin == std::string_view::npos) {
        return {};
    }
    value = value.substr(begin, value.find_last_not_of(" \t") + 1 - begin);
    const bool quoted =
        value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    return std::string(quoted ? value.substr(1, value.size() - 2) : value);
}

// The file's lines, each with its line end ("\r\n", "\n", a lone "\r" or
// none at the end of the file).
std::vector<std::string_view> SplitLines(std::string_view file)
{
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0, end = 0; begin < file.size(); begin = end) {
        end = std::min(file.find_first_of("\r\n", begin), file.size() - 1) + 1;
        end += file.substr(end - 1, 2) == "\r\n";
        lines.push_back(file.substr(begin, end - begin));
    }
    return lines;
}

// How a rewrite changed a file, line by line: the lines both versions
// share at the start and at the end, and what lies between them.
struct LineChange {
    std::vector<std::string_view> removed; // old lines not kept
    std::vector<std::string_view> added;   // new lines in their place
    bool keptAscii = true;                 // the lines kept are plain ASCII (byte order mark aside)
};

LineChange CompareLines(std::string_view before, std::string_view after)
{
    const auto oldLines = SplitLines(before);
    const auto newLines = SplitLines(after);
    const std::size_t head = std::ranges::mismatch(oldLines, newLines).in1 - oldLines.begin();
    const std::size_t tail =
        std::mismatch(oldLines.rbegin(), oldLines.rend() - head, newLines.rbegin(), newLines.rend() - head)
            .first -
        oldLines.rbegin();
    LineChange change{{oldLines.begin() + head, oldLines.end() - tail},
                      {newLines.begin() + head, newLines.end() - tail}};
    for (std::size_t i = 0; i < oldLines.size(); ++i) {
        // A byte order mark reads the same in both encodings.
        const std::string_view line =
            oldLines[i].substr(i == 0 && oldLines[i].starts_with("\xEF\xBB\xBF") ? 3 : 0);
        const bool kept = i < head || i >= oldLines.size() - tail;
        if (kept && !std::all_of(line.begin(), line.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            change.keptAscii = false;
        }
    }
    return change;
}

constexpr std::string_view kMark = "\xFF"
                                   "KW\xFF";
constexpr std::size_t kSettingsCapacity = 1024; // LoadSettings' buffer
constexpr std::size_t kWhole = std::size_t{1} << 24;
constexpr std::array<const char*, 6> kKeys = {"FileChkTime", "AcrExeDir", "FileChkDir",
                                              "FileSelect",  "PrinterNm", "FileDelDate"};

// The folder the INI lives in: in memory where there is such a file
// system, since every write of the store is flushed to disk.
struct Workspace {
    Workspace()
    {
        const char* base = std::getenv("KUMODEN_FUZZ_DIR");
        m_folder = base ? base
                   : std::filesystem::is_directory("/dev/shm")
                       ? "/dev/shm"
                       : std::filesystem::temp_directory_path().string();
        m_folder += "/kumoden-fuzz-XXXXXX";
        if (::mkdtemp(m_folder.data()) == nullptr) {
            Fault("cannot make the scratch folder");
        }
        m_ini = m_folder + "/kumoden.INI";
    }
    ~Workspace()
    {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    void put(std::string_view bytes) const
    {
        std::FILE* file = std::fopen(m_ini.c_str(), "wb");
        if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
            std::fclose(file) != 0) {
            Fault("cannot write the INI");
        }
    }

    std::size_t entries() const
    {
        const std::filesystem::directory_iterator all(m_folder);
        return static_cast<std::size_t>(std::distance(begin(all), end(all)));
    }

    std::string m_folder, m_ini;
};

const std::string& field(const FileCheckInfo& info, std::size_t index)
{
    const std::array<const std::string*, 5> fields = {&info.AcrExeDir, &info.FileChkDir, &info.FileSelect,
                                                      &info.PrinterNm, &info.FileDelDate};
    return *fields[index % fields.size()];
}

// What the watch makes of the settings.
void useSettings(const FileCheckInfo& info)
{
    const std::string watched = WatchedPath(info.FileChkDir, '/');
    if (watched.back() != '/') {
        Fault("the watched path does not end in the separator");
    }
    // The directory query gets the name part; a name spelt like the pattern
    // without its stars always matches it.
    const std::string pattern = MatchPattern(watched, info.FileSelect);
    const std::string namePattern = pattern.substr(pattern.rfind('/') + 1);
    std::string name = namePattern;
    std::erase(name, '*');
    if (!Wildcard(namePattern).matches(name)) {
        Fault("a name spelt like the pattern does not match it");
    }
    if (const auto days = RetentionDays(info.FileDelDate); days && (*days < -32768 || *days > 32767)) {
        Fault("retention outside the 16-bit range");
    }
    const PrintJob job{info.AcrExeDir, watched + "BackPdf/" + info.FileSelect + "a.pdf", info.PrinterNm,
                       "driver", "port"};
    const std::size_t words = !IsSumatraReader(job.readerPath) ? 9 : job.printerName.empty() ? 4 : 5;
    if (PrintLaunchRequest(job).arguments.size() != words || PrintCommandLine(job).empty()) {
        Fault("the reader's command line is incomplete");
    }
}

// A read cut at the settings' capacity is the start of the whole value.
void checkCap(ProfileStore& store, const std::string& ini, const char* key)
{
    const std::string section(kSettingsSection);
    const std::string capped = store.readString(section, key, ini, kSettingsCapacity);
    if (!store.readString(section, key, ini, kWhole).starts_with(capped)) {
        Fault("a capped read is not the start of the whole value");
    }
}

// A key of the file and what it reads as.
struct KeyRead {
    std::string section, key, value;
};

// Every key the file has (up to a limit, for speed), named as a reader
// names it, with what the store reads for it.
std::vector<KeyRead> readEveryKey(ProfileStore& store, const std::string& ini, std::string_view file)
{
    constexpr std::size_t kMost = 32;
    const profile::TextEncoding encoding = profile::detectEncoding(file);
    std::vector<KeyRead> reads;
    std::string section;
    std::size_t pos = profile::bodyStart(file);
    while (pos < file.size() && reads.size() < kMost) {
        const profile::IniLine line = profile::readLine(file, pos, encoding);
        const std::string name =
            profile::toUtf8(file.substr(line.nameBegin, line.nameEnd - line.nameBegin), encoding);
        if (line.kind == profile::LineKind::Section) {
            section = name;
        } else if (line.kind == profile::LineKind::Key) {
            reads.push_back({section, name, store.readString(section, name, ini, kWhole)});
        }
        if (line.next <= pos) {
            Fault("a line of the file was read as empty");
        }
        pos = line.next;
    }
    return reads;
}

// Whether the store takes two names for the same one: ASCII letters in
// either case, and in a CP932 file a character as its best fit.
bool sameName(std::string_view first, std::string_view second, profile::TextEncoding encoding)
{
    const auto held = [&](std::string_view name) {
        name = profile::trimBlanks(name);
        return encoding == profile::TextEncoding::Cp932 ? profile::cp932ReadBack(name) : std::string(name);
    };
    const std::string a = held(first);
    const std::string b = held(second);
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return fold(x) == fold(y); });
}

std::string_view lineEnd(std::string_view line)
{
    return line.substr(line.find_last_not_of("\r\n") + 1);
}

void checkWrite(ProfileStore& store, const Workspace& space, std::string_view before,
                const std::string& section, const std::string& key, const std::string& value)
{
    const std::vector<KeyRead> others = readEveryKey(store, space.m_ini, before);
    const bool written = store.writeString(section, key, value, space.m_ini);
    const profile::FileContent after = profile::readFile(space.m_ini);
    if (after.status != profile::FileContent::Status::Read || space.entries() != 1) {
        Fault("the write lost the file or left another one behind");
    }
    if (!written) {
        if (after.bytes != before) {
            Fault("a refused write changed the file");
        }
        return;
    }

    const LineChange change = CompareLines(before, after.bytes);
    if (change.removed.size() > 1) {
        Fault("the write changed more than one line");
    }
    if (change.removed.size() == 1) {
        const std::string_view old = change.removed.front();
        const bool inPlace = change.added.size() == 1 && lineEnd(change.added.front()) == lineEnd(old);
        // A last line without a line end gets one before what is added.
        if (!inPlace && (!lineEnd(old).empty() || !change.added.front().starts_with(old))) {
            Fault("the write broke up a line it did not own");
        }
    }
    const auto encoding = profile::detectEncoding(after.bytes);
    if (encoding != profile::detectEncoding(before) && !change.keptAscii) {
        Fault("the write changed how the other lines read");
    }

    // Names and the value went in as the file was before.
    const auto encodingBefore = profile::detectEncoding(before);
    for (const KeyRead& other : others) {
        const bool written =
            sameName(other.section, section, encodingBefore) && sameName(other.key, key, encodingBefore);
        if (!written && store.readString(other.section, other.key, space.m_ini, kWhole) != other.value) {
            Fault("the write changed what another key reads");
        }
    }

    // A CP932 file holds a few characters as their Windows best fit.
    const std::string expected =
        ReaderView(encodingBefore == profile::TextEncoding::Cp932 ? profile::cp932ReadBack(value) : value);
    if (store.readString(section, key, space.m_ini, kWhole) != expected) {
        Fault("an accepted value reads back differently");
    }
    const auto stored = profile::fromUtf8(expected, encoding);
    const std::string capped = store.readString(section, key, space.m_ini, kSettingsCapacity);
    const auto storedCap = profile::fromUtf8(capped, encoding);
    if (!stored || !storedCap || !expected.starts_with(capped)) {
        Fault("a capped read is not the start of the value");
    }
    // Cut at the last whole character within 1023 bytes; no character is
    // longer than 4 bytes.
    const bool fits = stored->size() < kSettingsCapacity;
    const bool cutRight = storedCap->size() < kSettingsCapacity && storedCap->size() + 4 >= kSettingsCapacity;
    if (fits ? capped != expected : !cutRight) {
        Fault("the 1023-byte cap cut in the wrong place");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Workspace space;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t mark = input.find(kMark);
    const std::string_view file = input.substr(0, mark);
    space.put(file);

    ProfileStore store;
    FileCheckInfo info;
    const std::string& ini = space.m_ini;
    LoadSettings(info, store, ini);
    useSettings(info);
    checkCap(store, ini, kKeys[size / 7 % kKeys.size()]);

    std::string section(kSettingsSection);
    std::string key = kKeys[size % kKeys.size()];
    std::string value = field(info, size / kKeys.size());
    if (mark != std::string_view::npos) {
        // section, key and value as given; missing parts stay as above
        std::string_view rest = input.substr(mark + kMark.size());
        std::array<std::string*, 3> parts = {&section, &key, &value};
        for (std::string* part : parts) {
            const std::size_t end = rest.find(kMark);
            *part = std::string(rest.substr(0, end));
            if (end == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(end + kMark.size());
        }
    }
    checkWrite(store, space, file, section, key, value);
    return 0;
}
