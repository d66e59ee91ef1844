#include "harness.h"

ProgramRun run_bundle_answer(const std::vector<std::string> &args, Caller caller,
                             const std::string &directory)
{
    return finish_run(start_run(args, caller, directory));
}

std::vector<ProgramRun>
run_bundle_answer_together(const std::vector<std::vector<std::string>> &runs)
{
    std::vector<StartedRun> started;
    for (const std::vector<std::string> &args : runs)
        started.push_back(start_run(args, Caller::installer, {}));
    std::vector<ProgramRun> finished;
    for (const StartedRun &run : started)
        finished.push_back(finish_run(run));
    return finished;
}
