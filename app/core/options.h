#pragma once

// option.cfg and the other small INI files of the program: one string per key, grouped in
// [sections]. Section and key names match without regard to case, values are taken with
// surrounding blanks removed, and lines that are neither a section nor key=value are kept
// as they are when the file is rewritten.

#include <QString>

namespace borderlux {

inline constexpr const char* kOptionSection = "ini";
inline constexpr const char* kShowAtStartKey = "showatstart";

/// The value of key in section of the INI file at path; empty when the file, the section or
/// the key is missing or the file cannot be read.
QString ReadOption(const QString& path, const QString& section, const QString& key);

/// Sets key in section of the INI file at path to value, creating the file's folder with all
/// missing parents, the file, the section and the key as needed. The file is replaced only
/// when the new contents are completely written. Every failure is swallowed.
void WriteOption(
    const QString& path, const QString& section, const QString& key, const QString& value);

} // namespace borderlux
