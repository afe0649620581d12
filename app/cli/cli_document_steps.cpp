// borderlux-cli steps on the document: resampling, rectangle selection and the negative.

#include "app/cli/cli_steps.h"
#include "document/resample.h"

#include <string>
#include <utility>

namespace borderlux {

namespace {

const std::pair<const char*, TResampleFilter> kFilters[] = {
    { "none", rfNone },
    { "fastlinear", rfFastLinear },
    { "linear", rfLinear },
    { "triangle", rfTriangle },
    { "hermite", rfHermite },
    { "bell", rfBell },
    { "bspline", rfBSpline },
    { "lanczos3", rfLanczos3 },
    { "mitchell", rfMitchell },
    { "nearest", rfNearest },
};

std::string filterNames()
{
    std::string names;
    for (const auto& f : kFilters)
        names += (names.empty() ? "" : ", ") + std::string(f.first);
    return names;
}

bool needPhoto(CliState& state, std::string& error)
{
    if (state.view.Bitmap().IsEmpty()) {
        error = "the document has no picture";
        return false;
    }
    return true;
}

const CliStepRegistrar resampleStep({ "--resample", { "W", "H", "FILTER" },
    "resize the photo to W x H (-1 keeps the proportion, 0 the size) with FILTER: none, "
    "fastlinear, linear, triangle, hermite, bell, bspline, lanczos3, mitchell, nearest",
    [](CliState& state, const std::vector<std::string>& args, std::string& error) {
        int w = 0, h = 0;
        if (!ParseCliInt(args[0], w)) {
            error = "width '" + args[0] + "' is not an integer";
            return false;
        }
        if (!ParseCliInt(args[1], h)) {
            error = "height '" + args[1] + "' is not an integer";
            return false;
        }
        if (w < 0 && h < 0) {
            error = "width and height cannot both be negative";
            return false;
        }
        const TResampleFilter* filter = nullptr;
        for (const auto& f : kFilters)
            if (args[2] == f.first)
                filter = &f.second;
        if (!filter) {
            error = "unknown filter '" + args[2] + "' (known: " + filterNames() + ")";
            return false;
        }
        if (!needPhoto(state, error))
            return false;
        int tw = 0, th = 0;
        TIEBitmap& photo = state.view.Bitmap();
        ResampleTargetSize(photo.Width(), photo.Height(), w, h, tw, th);
        if (int64_t(tw) * th > (int64_t(1) << 28)) {
            error = std::to_string(tw) + " x " + std::to_string(th) + " is too large";
            return false;
        }
        state.view.SetCurrentLayer(0);
        state.view.Proc().Resample(w, h, *filter);
        if (photo.Width() != tw || photo.Height() != th) {
            error = "out of memory";
            return false;
        }
        return true;
    } });

const CliStepRegistrar selectStep({ "--select", { "L", "T", "R", "B" },
    "select the rectangle of photo pixels L..R x T..B (inclusive); later steps that work in "
    "the selection (--negative) change only it",
    [](CliState& state, const std::vector<std::string>& args, std::string& error) {
        int v[4] = {};
        const char* names[4] = { "left", "top", "right", "bottom" };
        for (int i = 0; i < 4; ++i)
            if (!ParseCliInt(args[size_t(i)], v[i])) {
                error = std::string(names[i]) + " '" + args[size_t(i)] + "' is not an integer";
                return false;
            }
        if (!needPhoto(state, error))
            return false;
        state.view.SelectRect(v[0], v[1], v[2], v[3]);
        if (!state.view.HasSelection()) {
            const TIEBitmap& b = state.view.Bitmap();
            error = "the rectangle " + args[0] + "," + args[1] + " - " + args[2] + "," + args[3]
                + " lies outside the " + std::to_string(b.Width()) + " x "
                + std::to_string(b.Height()) + " photo";
            return false;
        }
        return true;
    } });

const CliStepRegistrar selectNoneStep({ "--select-none", {}, "remove the selection",
    [](CliState& state, const std::vector<std::string>&, std::string&) {
        state.view.Deselect();
        return true;
    } });

const CliStepRegistrar negativeStep(
    { "--negative", {}, "invert the colours of the photo (inside the selection when there is one)",
        [](CliState& state, const std::vector<std::string>&, std::string& error) {
            if (!needPhoto(state, error))
                return false;
            state.view.Proc().Negative();
            return true;
        } });

} // namespace

} // namespace borderlux
