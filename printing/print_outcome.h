#pragma once

#include <string_view>

namespace kumoden {

// What the stand-in reader kumoden-print tells of the job it submitted, by
// its exit status; its last line on the error output says the same in
// words, starting with kPrintToolPrefix and the outcome's word. Any other
// reader tells nothing of the sort: its end is only the end of a program.
enum class PrintOutcome : int {
    printed = 0,         // the job completed
    refused = 1,         // nothing was submitted (no file, no queue, no scheduler)
    usage = 2,           // the command line was refused
    held = 3,            // the queue held the job longer than the wait; it stays there
    queueStopped = 4,    // the queue was stopped longer than the wait; the job stays there
    failedAtPrinter = 5, // the printer or a filter failed the job
    cancelled = 6,       // someone cancelled the job
    unknown = 7,         // the job could not be followed to its end
};

inline constexpr std::string_view kPrintToolPrefix = "kumoden-print: ";

// The word that follows the prefix for each outcome of a submitted job.
constexpr std::string_view PrintOutcomeWord(PrintOutcome outcome)
{
    switch (outcome) {
    case PrintOutcome::printed:
        return "printed";
    case PrintOutcome::held:
        return "held";
    case PrintOutcome::queueStopped:
        return "queue stopped";
    case PrintOutcome::failedAtPrinter:
        return "failed at the printer";
    case PrintOutcome::cancelled:
        return "cancelled";
    case PrintOutcome::unknown:
        return "not known";
    case PrintOutcome::refused:
    case PrintOutcome::usage:
        break;
    }
    return {};
}

} // namespace kumoden
