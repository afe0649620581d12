#include "app/cli/cli_steps.h"

#include <charconv>

namespace borderlux {

std::vector<CliStep>& CliSteps()
{
    static std::vector<CliStep> steps;
    return steps;
}

CliState::CliState()
{
    view.Proc().SetAutoUndo(false);
    view.Proc().SetUndoLimit(10);
}

bool ParseCliInt(const std::string& text, int& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    if (first == last)
        return false;
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

namespace {

const CliStepRegistrar quality(
    { "--quality", { "N" }, "JPEG quality of the output, 1..100 (default 80)",
        [](CliState& state, const std::vector<std::string>& args, std::string& error) {
            int q = 0;
            if (!ParseCliInt(args[0], q) || q < 1 || q > 100) {
                error = "'" + args[0] + "' is not a quality between 1 and 100";
                return false;
            }
            state.writeOptions.jpegQuality = q;
            return true;
        } });

} // namespace

} // namespace borderlux
