#include "platform/ui/save_dialog.h"

#include "platform/image_io/image_io.h"

namespace borderlux {

namespace {

struct FormatGroup {
    const char* title;
    const char* patterns;
};

constexpr FormatGroup kFormats[] = {
    { "JPEG", "*.jpg *.jpeg *.jpe *.jif" },
    { "PNG", "*.png" },
    { "Bitmap", "*.bmp *.dib" },
    { "TIFF", "*.tif *.tiff" },
    { "GIF", "*.gif" },
    { "Portable any-map", "*.pbm *.pgm *.ppm *.pxm" },
    { "Targa", "*.tga" },
    { "PCX", "*.pcx" },
    { "Icon", "*.ico" },
    { "WBMP", "*.wbmp" },
    { "PostScript", "*.ps *.eps" },
    { "PDF", "*.pdf" },
};

// Formats whose Qt plugin is missing on this machine drop out, so the list never offers a
// type the write would then refuse.
QStringList writablePatterns(const char* patterns)
{
    QStringList out;
    for (const QString& p : QString::fromLatin1(patterns).split(QLatin1Char(' '))) {
        if (CanWriteExtension(p.mid(2).toStdString()))
            out << p;
    }
    return out;
}

} // namespace

QStringList SavePictureDialog::Filters()
{
    QStringList all;
    QStringList groups;
    for (const FormatGroup& f : kFormats) {
        const QStringList patterns = writablePatterns(f.patterns);
        if (patterns.isEmpty())
            continue;
        all << patterns;
        groups << QStringLiteral("%1 (%2)").arg(
            QLatin1String(f.title), patterns.join(QLatin1Char(' ')));
    }
    QStringList filters;
    filters << QStringLiteral("All pictures (%1)").arg(all.join(QLatin1Char(' ')));
    filters << groups;
    filters << QStringLiteral("All files (*)");
    return filters;
}

SavePictureDialog::SavePictureDialog(
    QWidget* parent, const QString& folder, const QString& fileName, const QString& extraFilter)
    : QFileDialog(parent)
{
    setObjectName(QStringLiteral("SavePictureDialog"));
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::AnyFile);
    setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters = Filters();
    if (!extraFilter.isEmpty())
        filters << extraFilter;
    setNameFilters(filters);
    selectNameFilter(filters.constFirst());
    if (!folder.isEmpty())
        setDirectory(folder);
    selectFile(fileName);
}

QString GetSavePictureFileName(
    QWidget* parent, const QString& folder, const QString& fileName, const QString& extraFilter)
{
    SavePictureDialog dialog(parent, folder, fileName, extraFilter);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

} // namespace borderlux
