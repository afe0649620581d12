#pragma once

// The library catalogue: the two category list files (frames/f.dat, stamps/s.dat), the folder
// each category lives in, and the items of the two category selectors.
//
// Shared rules of this header:
// - Folders are strings ending in "/" and paths are built by plain concatenation, so a
//   category name is used as a folder name exactly as written in its list file.
// - The program folder and the user data folder are passed in by the caller; the catalogue
//   keeps no state. Callers take the program folder afresh on every category change.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace borderlux {

enum class CategoryKind { Frames, Stamps };

/// The category name that maps to a favourites folder instead of a library folder. Compared
/// exactly and case-sensitively: "My Favorite" is an ordinary category.
inline constexpr const char* kFavoriteCategory = "my favorite";

/// Image indexes of the main window's shared image list used by the selector items.
inline constexpr int kFavoritesImageIndex = 62; ///< entry 1 of either list
inline constexpr int kFrameCategoryImageIndex = 61; ///< every other frame entry
inline constexpr int kStampCategoryImageIndex = 6; ///< every other stamp entry
inline constexpr int kDefaultIndent = -1; ///< the selector's default indent

/// Splits the bytes of a list file into entries. An entry ends at CR LF, at a lone CR or at a
/// lone LF; a line break after the last entry adds no entry; an empty line between two breaks
/// is an empty entry. A NUL byte ends the last entry and everything after it is ignored.
/// Entries are not trimmed. Each entry's bytes are decoded as 8-bit text in the locale's
/// encoding (UTF-8 on current systems).
QStringList SplitListEntries(const QByteArray& bytes);

/// Reads the list file at path whole and splits it as SplitListEntries does. A missing or
/// unreadable file gives no entries.
QStringList ReadCategoryList(const QString& path);

/// Program folder + "frames/f.dat" or "stamps/s.dat".
QString CategoryListPath(CategoryKind kind, const QString& programFolder);

/// The folder of a category: for exactly "my favorite", userDataFolder + "my frame favorite"
/// or "my stamp favorite"; for any other name N, programFolder + "frames/" + N or
/// "stamps/" + N. No trailing "/" is added and the folder need not exist (an empty name gives
/// "frames/" itself).
QString CategoryFolder(CategoryKind kind, const QString& name, const QString& programFolder,
    const QString& userDataFolder);

/// One item of a category selector. The image index is used for the normal, the selected and
/// the overlay image alike. Items carry no other data.
struct SelectorItem {
    QString caption;
    int imageIndex = 0;
    int indent = kDefaultIndent;
    bool operator==(const SelectorItem&) const = default;
};

/// One item per entry, in list order: entry 1 gets the favourites image, every other entry
/// the category image of its kind.
std::vector<SelectorItem> SelectorItems(CategoryKind kind, const QStringList& entries);

/// The items of both selectors, read from the program folder's two list files.
struct CategorySelectors {
    std::vector<SelectorItem> frames;
    std::vector<SelectorItem> stamps;
};

/// Reads both list files of programFolder and builds their selector items. The selectors
/// select item 0 after filling, without running their change handlers.
CategorySelectors LoadCategoryLists(const QString& programFolder);

} // namespace borderlux
