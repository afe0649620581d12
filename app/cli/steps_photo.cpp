// borderlux-cli steps of the Photo document's commands: Undo, Cancel, Merge, Delete, the
// current layer, moving and sizing a layer as the mouse does, and the background colour.

#include "app/cli/cli_steps.h"
#include "app/photo/photo_document.h"

#include <memory>

namespace borderlux {

namespace {

// The document's own state (pristine copy, mouse interaction) lives in the CLI state, created
// by the first of these steps. Cancel returns to the photo as read from
// the input file, whatever ran before.
PhotoDocument& photoOf(CliState& state)
{
    if (!state.document) {
        auto doc = std::make_shared<PhotoDocument>(state.view, std::string());
        TIEBitmap asRead;
        if (ReadImage(state.inputPath, asRead))
            doc->SetPristine(asRead);
        state.document = std::move(doc);
    }
    return *state.document;
}

using Args = std::vector<std::string>;

bool parseInts(const Args& args, int* values, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (!ParseCliInt(args[i], values[i])) {
            error = "'" + args[i] + "' is not an integer";
            return false;
        }
    }
    return true;
}

// The mouse cannot move or size a locked layer; neither can these steps.
TIELayer* movableCurrent(CliState& state, std::string& error)
{
    const int i = state.view.CurrentLayer();
    TIELayer& layer = state.view.LayerAt(i);
    if (layer.Locked) {
        error = "layer " + std::to_string(i) + " is locked";
        return nullptr;
    }
    return &layer;
}

const CliStepRegistrar undo({ "--undo", {},
    "Undo: remove the newest layer, or with only the photo left restore the newest snapshot",
    [](CliState& state, const Args&, std::string&) {
        photoOf(state).Undo();
        return true;
    } });

const CliStepRegistrar cancel(
    { "--cancel", {}, "Cancel: back to the photo as read (layers removed; the undo history stays)",
        [](CliState& state, const Args&, std::string&) {
            photoOf(state).Cancel();
            return true;
        } });

const CliStepRegistrar merge({ "--merge", {}, "Merge: flatten every layer into the photo",
    [](CliState& state, const Args&, std::string&) {
        photoOf(state).Merge();
        return true;
    } });

const CliStepRegistrar deleteLayer(
    { "--delete-layer", {}, "Delete: remove the current layer unless it is the photo (layer 0)",
        [](CliState& state, const Args&, std::string&) {
            photoOf(state).DeleteLayer();
            return true;
        } });

const CliStepRegistrar currentLayer({ "--layer", { "N" },
    "make layer N current (a layer that is not selectable passes it on to the one below)",
    [](CliState& state, const Args& args, std::string& error) {
        int n = 0;
        if (!parseInts(args, &n, error))
            return false;
        if (n < 0 || n >= state.view.LayerCount()) {
            error = "there is no layer " + args[0] + " (the document has "
                + std::to_string(state.view.LayerCount()) + ")";
            return false;
        }
        state.view.SetCurrentLayer(n);
        return true;
    } });

const CliStepRegistrar moveLayer(
    { "--move-layer", { "DX", "DY" }, "move the current layer by DX, DY image pixels",
        [](CliState& state, const Args& args, std::string& error) {
            int d[2] = {};
            if (!parseInts(args, d, error))
                return false;
            TIELayer* layer = movableCurrent(state, error);
            if (!layer)
                return false;
            layer->OffsetX += d[0];
            layer->OffsetY += d[1];
            state.view.Changed();
            return true;
        } });

const CliStepRegistrar layerGeometry({ "--layer-geometry", { "X", "Y", "W", "H" },
    "place the current layer at X, Y shown W x H image pixels (W, H at least 1)",
    [](CliState& state, const Args& args, std::string& error) {
        int g[4] = {};
        if (!parseInts(args, g, error))
            return false;
        if (g[2] < 1 || g[3] < 1) {
            error = "a layer is at least 1 x 1 pixels";
            return false;
        }
        TIELayer* layer = movableCurrent(state, error);
        if (!layer)
            return false;
        layer->OffsetX = g[0];
        layer->OffsetY = g[1];
        layer->DisplayWidth = g[2];
        layer->DisplayHeight = g[3];
        state.view.Changed();
        return true;
    } });

const CliStepRegistrar background({ "--background", { "RRGGBB" },
    "background colour of the document (hexadecimal red, green, blue)",
    [](CliState& state, const Args& args, std::string& error) {
        const std::string& text = args[0];
        unsigned value = 0;
        bool ok = text.size() == 6;
        for (char c : text) {
            const int digit = (c >= '0' && c <= '9') ? c - '0'
                : (c >= 'a' && c <= 'f')             ? c - 'a' + 10
                : (c >= 'A' && c <= 'F')             ? c - 'A' + 10
                                                     : -1;
            ok = ok && digit >= 0;
            value = value * 16 + unsigned(digit < 0 ? 0 : digit);
        }
        if (!ok) {
            error = "'" + text + "' is not a colour RRGGBB";
            return false;
        }
        state.view.SetBackground(
            RGBColor(uint8_t(value >> 16), uint8_t((value >> 8) & 0xFF), uint8_t(value & 0xFF)));
        return true;
    } });

} // namespace

} // namespace borderlux
