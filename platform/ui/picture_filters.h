#pragma once

// File-type filters of the open and save picture dialogs.

#include <QStringList>

#include <span>
#include <string_view>

namespace borderlux {

/// One line of a dialog's type list: a title and its space-separated patterns ("*.tif *.tiff").
struct PictureFormatGroup {
    const char* title;
    const char* patterns;
};

/// "All pictures (...)", one entry per group, "All files (*)". A pattern stays only when
/// keep(extension without "*.") is true, and a group without patterns is left out, so the
/// list never offers a type the reader or writer would then refuse.
QStringList PictureFilters(
    std::span<const PictureFormatGroup> groups, bool (*keep)(std::string_view ext));

} // namespace borderlux
