// kumoden-print: stands in for the PDF reader on Linux. Takes the reader's
// print command line and hands the file to a CUPS queue.

#include "platform/cups/scheduler_connection.h"
#include "tools/kumoden-print/print_args.h"

#include <cups/cups.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
// The job was taken, but the queue is stopped or holds it: it prints only
// once someone releases it.
constexpr int exitHeld = 3;

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

int fail(const std::string& reason, int code = exitFailure)
{
    std::cerr << "kumoden-print: " << oneLine(reason) << '\n';
    return code;
}

std::string cupsError()
{
    const char* text = cupsLastErrorString();
    return text && *text ? text : "unknown error";
}

// Started hidden, nobody can answer a password prompt; fail instead.
const char* noPassword(const char*, http_t*, const char*, const char*, void*)
{
    return nullptr;
}

// The scheduler's destinations, freed with the object.
struct Destinations {
    cups_dest_t* dests = nullptr;
    int count = 0;

    Destinations() = default;
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;
    ~Destinations() { cupsFreeDests(count, dests); }
};
struct InfoFree {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};

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

// Sends the file as the one document of the job; false when it broke off.
bool sendDocument(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, int jobId, const std::string& file,
                  const std::string& title)
{
    std::ifstream in(file, std::ios::binary);
    if (!in || cupsStartDestDocument(http, dest, info, jobId, title.c_str(), CUPS_FORMAT_PDF, 0, nullptr,
                                     1) != HTTP_STATUS_CONTINUE) {
        return false;
    }
    char buffer[65536];
    bool ok = true;
    while (ok && in) {
        in.read(buffer, sizeof buffer);
        const auto count = static_cast<std::size_t>(in.gcount());
        ok = !in.bad() && (count == 0 || cupsWriteRequestData(http, buffer, count) == HTTP_STATUS_CONTINUE);
    }
    // Finish in any case so the connection is left in a usable state.
    const bool finished = cupsFinishDestDocument(http, dest, info) <= IPP_STATUS_OK_CONFLICTING;
    return ok && finished;
}

struct IppFree {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppFree>;

// One request about the queue (with a job id: about the job on it); null
// when the scheduler gave no usable answer.
Ipp askAbout(http_t* http, const cups_dest_t* dest, int jobId, const std::vector<const char*>& wanted)
{
    ipp_t* request = ippNewRequest(jobId > 0 ? IPP_OP_GET_JOB_ATTRIBUTES : IPP_OP_GET_PRINTER_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     dest->name);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    if (jobId > 0) {
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    }
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(wanted.size()), nullptr, wanted.data());
    Ipp answer(cupsDoRequest(http, request, "/"));
    if (!answer || ippGetStatusCode(answer.get()) > IPP_STATUS_OK_CONFLICTING) {
        return nullptr;
    }
    return answer;
}

std::string textOf(ipp_t* answer, const char* name)
{
    const char* text = ippGetString(ippFindAttribute(answer, name, IPP_TAG_ZERO), 0, nullptr);
    return text ? text : "";
}

// Why a job the queue took will not print by itself, or nothing. The
// words name neither the file nor the job, so that the same stop reads
// the same for every file.
std::string heldReason(http_t* http, const cups_dest_t* dest, int jobId)
{
    const auto with = [](std::string text, const std::string& message) {
        return message.empty() ? text : text + " (" + message + ")";
    };
    if (const Ipp queue = askAbout(http, dest, 0, {"printer-state", "printer-state-message"})) {
        if (ippGetInteger(ippFindAttribute(queue.get(), "printer-state", IPP_TAG_ENUM), 0) ==
            IPP_PSTATE_STOPPED) {
            return with(std::string("queue ") + dest->name +
                            " is stopped: the job waits there until it is resumed",
                        textOf(queue.get(), "printer-state-message"));
        }
    }
    if (const Ipp job = askAbout(http, dest, jobId, {"job-state", "job-state-reasons"})) {
        if (ippGetInteger(ippFindAttribute(job.get(), "job-state", IPP_TAG_ENUM), 0) == IPP_JSTATE_HELD) {
            return with(std::string("queue ") + dest->name + " holds the job until it is released",
                        textOf(job.get(), "job-state-reasons"));
        }
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    const kumoden::PrintArgs args = kumoden::parsePrintArgs(words);
    if (!args.error.empty()) {
        return fail(
            args.error +
                " (usage: kumoden-print [/t] [/n] [/s] [/h] <file> [<printer> [<driver> "
                "[<port>]]]; exit status 0 printed, 1 failed, 2 usage, 3 taken but held by the queue)",
            exitUsage);
    }
    if (const std::string reason = checkFile(args.file); !reason.empty()) {
        return fail(reason);
    }
    if (!args.printer.empty() && !kumoden::isQueueName(args.printer)) {
        return fail("no print queue named " + args.printer);
    }

    cupsSetPasswordCB2(noPassword, nullptr);
    const kumoden::SchedulerConnection scheduler;
    http_t* const http = scheduler.http();
    if (http == nullptr) {
        return fail(std::string("cannot reach the print scheduler at ") + cupsServer() + ": " + cupsError());
    }
    // A request that failed: the scheduler's silence, or what it said.
    const auto failed = [&](const std::string& what) {
        return fail(scheduler.gaveUp() ? kumoden::SchedulerConnection::noAnswerText()
                                       : what + ": " + cupsError());
    };

    // The queue is looked up among all destinations on this connection:
    // cupsGetNamedDest, when its own request fails, asks again on the
    // default connection, whose waits are not bounded.
    Destinations all;
    all.count = cupsGetDests2(http, &all.dests);
    if (scheduler.gaveUp()) {
        return fail(kumoden::SchedulerConnection::noAnswerText());
    }
    cups_dest_t* const dest =
        cupsGetDest(args.printer.empty() ? nullptr : args.printer.c_str(), nullptr, all.count, all.dests);
    if (dest == nullptr) {
        if (all.count > 0 || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND ||
            cupsLastError() <= IPP_STATUS_OK_CONFLICTING) {
            return fail(args.printer.empty() ? "no default printer is set"
                                             : "no print queue named " + args.printer);
        }
        return failed("cannot look up " + (args.printer.empty() ? "the default printer" : args.printer));
    }
    const std::string queueText = std::string("queue ") + dest->name;
    const std::unique_ptr<cups_dinfo_t, InfoFree> info(cupsCopyDestInfo(http, dest));
    if (!info) {
        return failed("cannot query " + queueText);
    }

    const std::string title = kumoden::jobTitle(args.file);
    int jobId = 0;
    if (cupsCreateDestJob(http, dest, info.get(), &jobId, title.c_str(), 0, nullptr) >
            IPP_STATUS_OK_CONFLICTING ||
        jobId <= 0) {
        return failed("cannot create a job on " + queueText);
    }
    if (!sendDocument(http, dest, info.get(), jobId, args.file, title)) {
        if (scheduler.gaveUp()) {
            // Nobody would hear the cancel either.
            return fail(kumoden::SchedulerConnection::noAnswerText());
        }
        const std::string reason = cupsError();
        // Leave no half-submitted job waiting in the queue.
        cupsCancelDestJob(http, dest, jobId);
        return fail("cannot send " + args.file + " to " + queueText + ": " + reason);
    }
    std::cout << jobId << std::endl;
    if (const std::string held = heldReason(http, dest, jobId); !held.empty()) {
        return fail(held, exitHeld);
    }
    return std::cout ? 0 : exitFailure;
}
