#include "watch/print_command.h"

#include <algorithm>
#include <vector>

namespace kumoden {
namespace {

std::string quoted(const std::string& value)
{
    return '"' + value + '"';
}

// The call's words after the reader; quoted marks the values.
struct Word {
    std::string text;
    bool quoted;
};

std::vector<Word> wordsOf(const PrintJob& job)
{
    if (IsSumatraReader(job.readerPath)) {
        if (job.printerName.empty()) {
            return {{"-print-to-default", false}, {"-silent", false}, {job.backupFile, true}};
        }
        return {{"-print-to", false}, {job.printerName, true}, {"-silent", false}, {job.backupFile, true}};
    }
    return {{"/t", false},          {"/n", false},           {"/s", false},          {"/h", false},
            {job.backupFile, true}, {job.printerName, true}, {job.driverName, true}, {job.portName, true}};
}

} // namespace

bool IsSumatraReader(const std::string& readerPath)
{
    const std::size_t slash = readerPath.find_last_of("/\\");
    std::string name = readerPath.substr(slash == std::string::npos ? 0 : slash + 1);
    // Letter case aside, in ASCII whatever the locale.
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return name.starts_with("sumatrapdf") && name.ends_with(".exe");
}

std::string PrintCommandLine(const PrintJob& job)
{
    std::string line = quoted(job.readerPath);
    for (const Word& word : wordsOf(job)) {
        line += ' ' + (word.quoted ? quoted(word.text) : word.text);
    }
    return line;
}

LaunchRequest PrintLaunchRequest(const PrintJob& job)
{
    LaunchRequest request{PrintCommandLine(job), {job.readerPath}};
    for (const Word& word : wordsOf(job)) {
        request.arguments.push_back(word.text);
    }
    return request;
}

} // namespace kumoden
