#pragma once

// The library digest check run once at start-up: the two category list files must exist and
// their MD5 digests, written as 32 lower-case hexadecimal digits, must carry fixed characters
// at fixed places. A damaged or foreign library stops the program before any window opens.

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace borderlux {

/// The MD5 digest (RFC 1321) of bytes as 32 lower-case hexadecimal digits, each byte high
/// digit first.
std::string Md5Hex(const QByteArray& bytes);

/// True when the hexadecimal MD5 digest of bytes holds expected starting at character
/// position (counting from 1). Exact, case-sensitive comparison.
bool DigestMatchesAt(const QByteArray& bytes, int position, std::string_view expected);

/// The digest of a list file's contents; a file that exists but cannot be read counts as
/// empty input.
std::string FileMd5Hex(const QString& path);

/// The check for programFolder (ending in "/"): false when frames/f.dat or stamps/s.dat is
/// missing, when characters 2..4 of f.dat's digest are not "4f8", or when characters 3..5 of
/// s.dat's digest are not "5d8".
bool LibraryDigestCheck(const QString& programFolder);

} // namespace borderlux
