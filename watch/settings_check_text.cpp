#include "watch/settings_check_text.h"

#include <algorithm>
#include <string_view>

namespace kumoden {
namespace {

struct Words {
    std::string_view japanese;
    std::string_view english;
};

struct ItemWords {
    CheckItem item;
    Words label;
};

constexpr ItemWords kItems[] = {
    {CheckItem::settingsFile, {"設定ファイル", "settings file"}},
    {CheckItem::interval, {"監視間隔", "interval"}},
    {CheckItem::watchedFolder, {"監視フォルダ", "watched folder"}},
    {CheckItem::archiveFolder, {"保存フォルダ", "archive folder"}},
    {CheckItem::freeSpace, {"空き容量", "free space"}},
    {CheckItem::fileSelect, {"ファイル名の先頭", "file-name start"}},
    {CheckItem::reader, {"印刷プログラム", "reader"}},
    {CheckItem::printer, {"プリンター", "printer"}},
    {CheckItem::retention, {"保存日数", "retention"}},
};

struct FindingWords {
    Finding finding;
    Words detail; // {s} subject, {n} number, {d} detail, {mb} number in MB
};

constexpr FindingWords kFindings[] = {
    {Finding::iniReadable, {"{s}", "{s}"}},
    {Finding::iniMissing, {"{s} がありません", "{s} does not exist"}},
    {Finding::iniIsFolder, {"{s} はフォルダです", "{s} is a folder"}},
    {Finding::iniUnreadable, {"{s} を読み取れません", "{s} cannot be read"}},
    {Finding::intervalUsable, {"{n} ms", "{n} ms"}},
    {Finding::intervalZero, {"0 ms (監視しません)", "0 ms (no ticks)"}},
    {Finding::intervalUnusable,
     {"「{s}」は使えない値です (0 から 2147483647 ms)", "\"{s}\" is not usable (0 to 2147483647 ms)"}},
    {Finding::folderListable, {"{s}", "{s}"}},
    {Finding::folderMissing, {"{s} がありません", "{s} does not exist"}},
    {Finding::folderIsFile, {"{s} はフォルダではありません", "{s} is not a folder"}},
    {Finding::folderUnreadable, {"{s} の中を読み取れません ({d})", "{s} cannot be listed ({d})"}},
    {Finding::archiveWritable, {"{s} (書き込めます)", "{s} (writable)"}},
    {Finding::archiveToBeMade, {"{s} (最初のファイルで作られます)", "{s} (made with the first file)"}},
    {Finding::archiveNotWritable, {"{s} に書き込めません", "{s} is not writable"}},
    {Finding::archiveIsFile, {"{s} の場所にファイルがあります", "a file stands where {s} goes"}},
    {Finding::archiveCannotBeMade,
     {"{s} を作れません (監視フォルダに書き込めません)",
      "{s} cannot be made (the watched folder takes no new entries)"}},
    {Finding::roomEnough, {"{mb} MB ({s})", "{mb} MB ({s})"}},
    {Finding::roomTooLittle,
     {"{mb} MB しかありません (1 MB 未満) ({s})", "only {mb} MB, less than 1 MB ({s})"}},
    {Finding::roomUnknown, {"{s} の空き容量を読み取れません", "the free space at {s} cannot be read"}},
    {Finding::selectionFine, {"{s} (待っている PDF: {n} 件)", "{s} ({n} PDF files waiting)"}},
    {Finding::selectionLeavesFolder,
     {"{s} にフォルダの区切り (/ または \\) があるため、どのファイルも印刷しません",
      "{s} holds a folder separator (/ or \\): nothing would be printed"}},
    {Finding::readerRunnable, {"{s} ({d})", "{s} ({d})"}},
    {Finding::readerNotSet,
     {"設定されていません (ファイルは印刷されずに待ちます)", "not set (the files would wait unprinted)"}},
    {Finding::readerWithoutFolder,
     {"{s} にフォルダがありません。フルパスで指定してください", "{s} names no folder: give its full path"}},
    {Finding::readerMissing, {"{s} がありません", "{s} does not exist"}},
    {Finding::readerNotAFile, {"{s} はファイルではありません", "{s} is not a file"}},
    {Finding::readerCannotRun,
     {"{s} はプログラムとして起動できません", "{s} cannot be started as a program"}},
    {Finding::printerReady, {"{s}", "{s}"}},
    {Finding::printerNoDefault, {"既定のプリンターがありません", "no default destination"}},
    {Finding::printerUnknown, {"{s} は印刷システムにありません", "{s} is unknown to the print system"}},
    {Finding::printerRejecting, {"{s} はジョブを受け付けていません", "{s} is not accepting jobs"}},
    {Finding::printerStopped, {"{s} は停止しています", "{s} is stopped"}},
    {Finding::printerSystemUnreachable, {"印刷システムに接続できません", "print system not reachable"}},
    {Finding::printerSystemSilent, {"印刷システムが応答しません", "print system did not answer"}},
    {Finding::retentionForEver, {"空欄 (いつまでも保存します)", "empty (kept for ever)"}},
    {Finding::retentionDays, {"{n} 日", "{n} days"}},
    {Finding::retentionUnreadable,
     {"「{s}」を日数として読めません (削除しません)",
      "\"{s}\" is not a number of days (nothing is deleted)"}},
};

std::string_view pick(const Words& words, Language language)
{
    return language == Language::english ? words.english : words.japanese;
}

// Bytes as MB with one decimal, rounded down: never more room than there is.
std::string megabytes(std::int64_t bytes)
{
    const std::int64_t tenths = std::max<std::int64_t>(bytes, 0) * 10 / (1024 * 1024);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

void replace(std::string& text, std::string_view mark, const std::string& value)
{
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size())) {
        text.replace(at, mark.size(), value);
    }
}

// What a few findings add to their words.
std::string addition(const CheckLine& line, Language language)
{
    const bool english = language == Language::english;
    if (line.finding == Finding::printerReady && line.number == 1) {
        return english ? " (default destination)" : " (既定のプリンター)";
    }
    if ((line.finding == Finding::printerStopped || line.finding == Finding::printerRejecting) &&
        !line.detail.empty()) {
        return ": " + line.detail;
    }
    if (line.finding == Finding::retentionDays && line.number <= 0) {
        return english ? " (deleted at the next tick)" : " (次の監視で削除されます)";
    }
    return {};
}

std::string detailOf(const CheckLine& line, Language language)
{
    const auto found = std::ranges::find(kFindings, line.finding, &FindingWords::finding);
    std::string text(pick(found->detail, language));
    std::string number = std::to_string(line.number);
    if (line.finding == Finding::selectionFine && line.number < 0) {
        number = language == Language::english ? "unknown" : "不明";
    }
    std::string detail = line.detail;
    if (line.finding == Finding::readerRunnable) {
        const bool sumatra = detail == kSumatraForm;
        detail = language == Language::english
                     ? (sumatra ? "SumatraPDF command line" : "default command line")
                     : (sumatra ? "SumatraPDF のコマンドライン" : "標準のコマンドライン");
    }
    replace(text, "{mb}", megabytes(line.number));
    replace(text, "{n}", number);
    replace(text, "{d}", detail);
    replace(text, "{s}", line.subject);
    return text + addition(line, language);
}

} // namespace

Language LanguageOfLocale(const std::string& lcAll, const std::string& lcMessages, const std::string& lang)
{
    const std::string& chosen = !lcAll.empty() ? lcAll : !lcMessages.empty() ? lcMessages : lang;
    const bool english =
        chosen == "C" || chosen == "POSIX" || chosen.starts_with("C.") || chosen.starts_with("en");
    return english ? Language::english : Language::japanese;
}

std::string CheckLineText(const CheckLine& line, Language language)
{
    const auto item = std::ranges::find(kItems, line.item, &ItemWords::item);
    return std::string(line.ok() ? "[OK] " : "[NG] ") + std::string(pick(item->label, language)) + ": " +
           detailOf(line, language);
}

std::string CheckReport(const std::vector<CheckLine>& lines, Language language)
{
    std::string report;
    for (const CheckLine& line : lines) {
        report += CheckLineText(line, language) + "\n";
    }
    const auto unusable = std::ranges::count_if(lines, [](const CheckLine& line) { return !line.ok(); });
    const std::string count = std::to_string(unusable);
    if (language == Language::english) {
        report += unusable == 0 ? "All settings usable\n" : count + " settings unusable\n";
    } else {
        report += unusable == 0 ? "すべての設定が使えます\n" : "使えない設定が " + count + " 件あります\n";
    }
    return report;
}

} // namespace kumoden
