// The frame catalogue: categories in list order and every shipped frame.

#include "tools/make_library/frame_kit.h"

#include <algorithm>

namespace borderlux::tools {

QStringList FrameCategories()
{
    return { "free", "my favorite", "classic", "holiday", "fun", "mats" };
}

std::vector<FrameDesign> FrameDesigns()
{
    std::vector<FrameDesign> all = OpacityFrameDesigns();
    for (FrameDesign& d : KeyedFrameDesigns())
        all.push_back(std::move(d));
    // Category order, then file name: the order the contact sheet shows them in.
    const QStringList categories = FrameCategories();
    std::stable_sort(all.begin(), all.end(), [&](const FrameDesign& a, const FrameDesign& b) {
        const auto ia = categories.indexOf(a.category), ib = categories.indexOf(b.category);
        return ia != ib ? ia < ib : a.file < b.file;
    });
    return all;
}

} // namespace borderlux::tools
