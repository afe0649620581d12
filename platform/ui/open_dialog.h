#pragma once

// The open-picture dialog: a file dialog (Qt's own, not the desktop's) with a preview pane
// that shows the highlighted picture and its pixel size.

#include <QFileDialog>

class QLabel;

namespace borderlux {

class OpenPictureDialog : public QFileDialog {
    Q_OBJECT
public:
    /// No initial folder or file name; the first filter (all readable pictures) is chosen.
    explicit OpenPictureDialog(QWidget* parent = nullptr);

    /// The filter list: all readable pictures first, then one entry per format, then all files.
    static QStringList Filters();

    /// The preview pane (for tests).
    QLabel* PreviewLabel() const { return m_preview; }
    QLabel* PreviewInfo() const { return m_info; }

private:
    void showPreview(const QString& path);

    QLabel* m_preview = nullptr;
    QLabel* m_info = nullptr;
};

/// Runs the dialog modally; the chosen file's path, or an empty string when cancelled.
QString GetOpenPictureFileName(QWidget* parent);

} // namespace borderlux
