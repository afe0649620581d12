#pragma once

// The save-picture dialog: a file dialog (Qt's own, not the desktop's) for choosing where a
// rendered picture is written. Its filters list only what the image writer can write, so the
// format follows from the extension of the name the user keeps or types.

#include <QFileDialog>

namespace borderlux {

class SavePictureDialog : public QFileDialog {
    Q_OBJECT
public:
    /// Starts in `folder` (the dialog's default folder when empty) with `fileName` filled in.
    /// `extraFilter` (e.g. "*.jpg"; none when empty) is appended to Filters(); the first filter
    /// (all writable pictures) is chosen. Replacing an existing file asks for confirmation.
    SavePictureDialog(QWidget* parent, const QString& folder, const QString& fileName,
        const QString& extraFilter);

    /// All writable pictures first, then one entry per writable format, then all files.
    static QStringList Filters();
};

/// Runs the dialog modally; the chosen path, or an empty string when cancelled.
QString GetSavePictureFileName(
    QWidget* parent, const QString& folder, const QString& fileName, const QString& extraFilter);

} // namespace borderlux
