#pragma once

// The steps of borderlux-cli. Each step is one command of the program, run on the document
// that the command line builds: `borderlux-cli INPUT [STEP...] OUTPUT`. A step names its
// parameters and gets them already split off the command line; it returns false with a
// one-line reason when it cannot run.
//
// Steps register themselves from their own source files with a static CliStepRegistrar, so a
// command's step lives next to the code the command calls.

#include "document/ie_bitmap.h"
#include "platform/image_io/image_io.h"

#include <functional>
#include <string>
#include <vector>

namespace borderlux {

/// What the steps work on: the photo as read, and how the result is written.
struct CliState {
    std::string inputPath;
    TIEBitmap photo;
    WriteOptions writeOptions;
};

struct CliStep {
    std::string name; ///< with the dashes: "--quality"
    std::vector<std::string> params; ///< parameter names for --help, e.g. {"N"}
    std::string help; ///< one line
    std::function<bool(CliState&, const std::vector<std::string>& args, std::string& error)> run;
};

/// Every registered step, in registration order.
std::vector<CliStep>& CliSteps();

struct CliStepRegistrar {
    explicit CliStepRegistrar(CliStep step) { CliSteps().push_back(std::move(step)); }
};

/// Parses a whole decimal integer (optional sign) into value; false on anything else.
bool ParseCliInt(const std::string& text, int& value);

} // namespace borderlux
