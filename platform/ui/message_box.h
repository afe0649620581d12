#pragma once

// The program's few message boxes: one OK button, a caption, a text. They block until the
// user closes them.

#include <QString>

class QWidget;

namespace borderlux {

/// A modal message box with one OK button; the caption is "Info" unless given.
void ShowMessage(
    QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Info"));

/// The conversion error of a numeric field: "'<text>' is not a valid integer value", caption
/// "Borderlux".
void ShowIntegerError(QWidget* parent, const QString& text);

} // namespace borderlux
