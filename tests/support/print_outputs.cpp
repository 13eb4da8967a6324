#include "tests/support/print_outputs.h"

#include "tests/support/process.h"

namespace kumoden::test {

std::string schedulerProblem()
{
    const RunResult status = runProgram({"lpstat", "-r"}, {"LANG=C", "LC_ALL=C"});
    if (status.out.find("scheduler is running") != std::string::npos) {
        return {};
    }
    return "the CUPS scheduler is not reachable (" + status.out + status.err + ")";
}

} // namespace kumoden::test
