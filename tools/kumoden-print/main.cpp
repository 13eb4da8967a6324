// kumoden-print: stands in for the PDF reader on Linux. Takes the reader's
// print command line, hands the file to a CUPS queue and follows the job
// until the printer has answered: its exit status and last line tell
// whether it printed (see printing/print_outcome.h).

#include "tools/kumoden-print/cups_job.h"
#include "tools/kumoden-print/print_args.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

namespace {

using kumoden::PrintOutcome;

constexpr const char* kUsage =
    "usage: kumoden-print [/t] [/n] [/s] [/h] <file> [<printer> [<driver> [<port>]]]; "
    "exit status 0 printed, 1 not submitted, 2 usage, 3 held, 4 queue stopped, "
    "5 failed at the printer, 6 cancelled, 7 not known";

// Messages end up in one log line each, whatever a file name holds.
std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return text;
}

int tell(const std::string& line, PrintOutcome outcome)
{
    std::cerr << kumoden::kPrintToolPrefix << oneLine(line) << std::endl;
    return static_cast<int>(outcome);
}

int refuse(const std::string& reason)
{
    return tell(reason, PrintOutcome::refused);
}

// Started hidden, nobody can answer a password prompt; fail instead.
const char* noPassword(const char*, http_t*, const char*, const char*, void*)
{
    return nullptr;
}

// Checks that the file is a readable PDF; returns the reason when not.
std::string checkFile(const std::string& file)
{
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (error || !std::filesystem::exists(status)) {
        return "no such file: " + file;
    }
    if (std::filesystem::is_directory(status)) {
        return file + " is a folder, not a file";
    }
    if (!std::filesystem::is_regular_file(status)) {
        return file + " is not an ordinary file";
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return "cannot read " + file + ": " + std::strerror(errno);
    }
    std::string head(1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        return "cannot read " + file;
    }
    if (!kumoden::hasPdfHeader(head)) {
        return file + " is not a PDF file";
    }
    return {};
}

// Why the command line cannot be printed before the scheduler is asked.
std::string refusalOf(const kumoden::PrintArgs& args)
{
    if (const std::string reason = checkFile(args.file); !reason.empty()) {
        return reason;
    }
    if (!args.printer.empty() && !kumoden::isQueueName(args.printer)) {
        return "no print queue named " + args.printer;
    }
    return {};
}

// Follows the job to its end on the connection it was submitted on, by
// the scheduler's events too when there is a subscription to them.
int followJob(const kumoden::SchedulerConnection& scheduler, const cups_dest_t* dest, int jobId,
              kumoden::SchedulerEvents& events, const kumoden::FollowLimits& limits)
{
    const kumoden::FollowTime time{
        [] { return std::chrono::steady_clock::now(); },
        [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); },
    };
    std::function<kumoden::JobLook()> look = [&] { return kumoden::LookAtJob(scheduler, dest, jobId); };
    if (events.subscribed()) {
        look = kumoden::LookWithEvents(
            look, [&] { return events.take(); }, jobId);
    }
    const kumoden::JobVerdict verdict = kumoden::FollowJob(look, time, limits, jobId, dest->name);
    return tell(verdict.line, verdict.outcome);
}

int printFile(const kumoden::PrintArgs& args)
{
    cupsSetPasswordCB2(noPassword, nullptr);
    const kumoden::SchedulerConnection scheduler;
    if (scheduler.http() == nullptr) {
        return refuse(std::string("cannot reach the print scheduler at ") + cupsServer() + ": " +
                      kumoden::CupsError());
    }
    kumoden::Destinations all;
    std::string why;
    cups_dest_t* const dest = kumoden::FindQueue(scheduler, all, args.printer, why);
    if (dest == nullptr) {
        return refuse(why);
    }
    const kumoden::FollowLimits limits = kumoden::LimitsFromWait(std::getenv("KUMODEN_PRINT_WAIT"));
    // Before the job exists: a scheduler that keeps no job history forgets
    // a job the moment it ends, and then only its events tell how it ended.
    kumoden::SchedulerEvents events(scheduler, kumoden::EventLease(limits));
    const int jobId = kumoden::SubmitFile(scheduler, dest, args.file, kumoden::jobTitle(args.file), why);
    if (jobId <= 0) {
        return refuse(why);
    }
    std::cout << jobId << std::endl;
    return followJob(scheduler, dest, jobId, events, limits);
}

} // namespace

int main(int argc, char** argv)
{
    // Its output may lead to a pipe nobody reads any more: the job is
    // followed all the same, and its end is still told by the exit status.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    const kumoden::PrintArgs args = kumoden::parsePrintArgs(words);
    if (!args.error.empty()) {
        return tell(args.error + " (" + kUsage + ")", PrintOutcome::usage);
    }
    if (const std::string reason = refusalOf(args); !reason.empty()) {
        return refuse(reason);
    }
    return printFile(args);
}
