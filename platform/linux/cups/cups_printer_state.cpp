// The state of one queue: found among the destinations as kumoden-print
// finds it (so the empty name is the same default it prints on), then asked
// of the scheduler with Get-Printer-Attributes.
#include "platform/linux/cups/bounded_call.h"
#include "platform/linux/cups/cups_printer_list.h"
#include "platform/linux/cups/destinations.h"
#include "platform/linux/cups/scheduler_connection.h"

#include <cups/cups.h>

#include <cstdlib>
#include <memory>

namespace kumoden {
namespace {

struct IppDelete {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

PrinterListStatus statusOf(const SchedulerConnection& scheduler)
{
    switch (scheduler.lastAnswer()) {
    case SchedulerAnswer::noAnswer:
        return PrinterListStatus::noAnswer;
    case SchedulerAnswer::unreachable:
        return PrinterListStatus::unreachable;
    case SchedulerAnswer::answered:
        break;
    }
    return PrinterListStatus::listed;
}

Ipp askQueue(http_t* http, const std::string& name)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     name.c_str());
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    const char* const wanted[] = {"printer-state", "printer-is-accepting-jobs", "printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    Ipp answer(cupsDoRequest(http, request, "/"));
    if (answer && ippGetStatusCode(answer.get()) > IPP_STATUS_OK_CONFLICTING) {
        answer.reset();
    }
    return answer;
}

// A printer found on the network but not yet a queue of the scheduler:
// what the destination's options say.
void fromOptions(PrinterState& state, const cups_dest_t& dest)
{
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest.num_options, dest.options);
    const char* printerState = cupsGetOption("printer-state", dest.num_options, dest.options);
    state.accepting = accepting == nullptr || std::string(accepting) == "true";
    state.stopped = printerState != nullptr && std::atoi(printerState) == IPP_PSTATE_STOPPED;
}

PrinterState askState(const std::string& name, int stopDescriptor)
{
    using std::chrono::milliseconds;
    const SchedulerConnection scheduler(
        {std::chrono::duration_cast<milliseconds>(kSchedulerTimeout), stopDescriptor});
    PrinterState state;
    state.name = name;
    if (scheduler.http() == nullptr) {
        state.status = PrinterListStatus::unreachable;
        return state;
    }
    Destinations all;
    all.load(scheduler);
    const cups_dest_t* dest = all.find(name);
    if (dest == nullptr) {
        // No destinations at all may be the scheduler's silence or refusal.
        state.status = all.count > 0 ? PrinterListStatus::listed : statusOf(scheduler);
        return state;
    }
    state.name = dest->name;
    state.known = true;
    const Ipp answer = askQueue(scheduler.http(), state.name);
    if (scheduler.gaveUp()) {
        state.status = PrinterListStatus::noAnswer;
    } else if (!answer) {
        fromOptions(state, *dest);
    } else {
        const char* message =
            ippGetString(ippFindAttribute(answer.get(), "printer-state-message", IPP_TAG_TEXT), 0, nullptr);
        state.accepting =
            ippGetBoolean(ippFindAttribute(answer.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN), 0) !=
            0;
        state.stopped = ippGetInteger(ippFindAttribute(answer.get(), "printer-state", IPP_TAG_ENUM), 0) ==
                        IPP_PSTATE_STOPPED;
        state.message = message != nullptr ? message : "";
    }
    return state;
}

} // namespace

PrinterState CupsPrinterList::printerState(const std::string& name)
{
    const int stop = m_stopDescriptor;
    if (auto state =
            BoundedSchedulerCall<PrinterState>(stop, [name, stop] { return askState(name, stop); })) {
        return std::move(*state);
    }
    PrinterState silent;
    silent.status = PrinterListStatus::noAnswer;
    silent.name = name;
    return silent;
}

} // namespace kumoden
