#pragma once

// The steps of borderlux-cli. Each step is one command of the program, run on the document
// that the command line builds: `borderlux-cli INPUT [STEP...] OUTPUT`. A step names its
// parameters and gets them already split off the command line; it returns false with a
// one-line reason when it cannot run.
//
// Steps register themselves from their own source files with a static CliStepRegistrar, so a
// command's step lives next to the code the command calls.

#include "document/ie_bitmap.h"
#include "document/layer_view.h"
#include "platform/image_io/image_io.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace borderlux {

class PhotoDocument;

/// What the steps work on: a document (an image view whose layer 0 holds the photo as read)
/// and how the result is written. The output is the document rendered at 100 % onto its
/// background colour (RenderLayersTo), as "Save as..." writes it. Steps honour the view's
/// selection where their command does (the processing-frame operations).
struct CliState {
    /// The processor is set up as the main view's: no snapshots of its own.
    CliState();
    std::string inputPath;
    TIELayerView view;
    WriteOptions writeOptions;
    /// Layer 0's raster: the photo.
    TIEBitmap& photo() { return view.LayerAt(0).Bitmap; }
    /// The Photo document over `view` (pristine copy, mouse interaction), made by the first
    /// step that needs it; it lives and dies with this state.
    std::shared_ptr<PhotoDocument> document;
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
