#pragma once

// Favourite frames and stamps: byte-for-byte copies of library files kept in two folders of
// the user data folder, "my frame favorite" and "my stamp favorite". A copy is named after the
// first character of the source file name, eight distinct random digits and the source's
// extension, so the leading letter that decides how a frame is applied survives the copy.
//
// Shared rules of this header:
// - Folder arguments end in "/" (the user data folder is built so); paths are joined by plain
//   concatenation.
// - Nothing here shows a message; failures come back as false or an empty string.
// - Qt Core only.

#include <QString>

#include <cstdint>

namespace borderlux {

/// n decimal digits, all different, the first not 0, as a number; -1 when n is not in 1..10.
/// Reseeds its generator from a high-resolution clock on every call.
int64_t RandomDigits(int n);

/// The first character of the file name of path (the part after the last "/"): one Unicode
/// code point, so a surrogate pair stays whole. Empty when the file name is empty.
QString FirstFileNameCharacter(const QString& path);

/// The extension of the file name of path from its last dot, the dot included (".png");
/// empty when the file name has no dot.
QString FileNameExtension(const QString& path);

/// Where "Add to my favorite" copies source: userDataFolder + "my frame favorite/" when the
/// path contains "frames", userDataFolder + "my stamp favorite/" when it contains "stamps"
/// (this one wins when both occur), followed by the first character of the file name, the
/// digits of RandomDigits(8) and the extension. Both tests are case-sensitive substring
/// tests of the whole path. Empty when the path contains neither.
QString FavouriteTargetPath(const QString& source, const QString& userDataFolder);

/// "Add to my favorite": creates each missing favourites folder (one level; nothing when
/// userDataFolder itself is missing), then copies source to FavouriteTargetPath. The copy never
/// overwrites an existing file. Returns the path written, or an empty string when nothing was
/// copied.
QString AddFavourite(const QString& source, const QString& userDataFolder);

/// True when the context menu of the grid should offer "Delete from my favorite" for path
/// rather than "Add to my favorite": path contains "favorite" (case-sensitive).
bool IsFavouritePath(const QString& path);

} // namespace borderlux
