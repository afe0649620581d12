#include "platform/ui/save_dialog.h"

#include "platform/image_io/image_io.h"
#include "platform/ui/picture_filters.h"

namespace borderlux {

namespace {

constexpr PictureFormatGroup kFormats[] = {
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

} // namespace

QStringList SavePictureDialog::Filters()
{
    return PictureFilters(kFormats, &CanWriteExtension);
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
