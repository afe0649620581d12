// TfrmMain's Apply command and its three output commands: "Save as...", "Save" and "Share
#include "platform/ui/busy_cursor.h"
// with friends". The work itself is document/frame_apply and output/save_share; this file
// gathers what the commands read from the window and reports what they leave to say.

#include "app/gui/frm_main.h"
#include "document/frame_apply.h"
#include "library/ui/library_browser.h"
#include "library/ui/preview_view.h"
#include "output/flat_picture.h"
#include "output/save_share.h"
#include "platform/image_io/image_io.h"
#include "platform/ui/img_vect.h"

#include <QApplication>
#include <QFile>

namespace borderlux {

namespace {

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString fromNative(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

void TfrmMain::acApplyExecute()
{
    if (m_photo.ReadFileName().empty()) {
        ShowMessageBox(QStringLiteral("Please open a image file first."), QStringLiteral("Info"));
        return;
    }
    {
        BusyCursor busy;
        const FrameFileReader reader
            = [](const std::string& path, TIEBitmap& bmp) { ReadImage(path, bmp); };
        ApplyFrameOrStamp(
            m_photo.View(), nativePath(m_browser->selectedPath()), reader, m_preview->IEBitmap());
    }
    m_photo.SetMouseInteraction(kMouseMoveResize);
    m_view->viewport()->update();
}

void TfrmMain::acSaveFileExecute()
{
    // Rendered before the dialog opens, as the picture stood when the command was chosen.
    const FlatPicture flat = RenderFlatPicture(m_photo.View());
    const SaveAsProposal proposal = ProposeSaveAs(m_photo.CurrentPhotoPath());
    const QString path = SaveDialog ? SaveDialog(fromNative(proposal.folder),
                             fromNative(proposal.fileName), fromNative(proposal.extraFilter))
                                    : QString();
    reportWrite(WriteFlatPicture(flat, nativePath(path)));
}

void TfrmMain::acSaveAsExecute()
{
    // A photo that could not be read leaves a blank view behind; writing that over the file
    // would destroy a picture other programs may still read. Without a photo read there is
    // nothing to save back, and, as with no photo at all, nothing is said.
    if (m_photo.ReadFileName().empty())
        return;
    reportWrite(SaveRenderedView(m_photo.View(), m_photo.CurrentPhotoPath()));
}

void TfrmMain::acSharePhotoExecute()
{
    reportWrite(SharePicture(m_photo.View()));
}

void TfrmMain::reportWrite(const OutputResult& result)
{
    // Skipped (no target) stays silent; only a write that was tried and failed is reported.
    if (result.Failed())
        ShowMessageBox(fromNative(result.Message()), QStringLiteral("Info"));
}

} // namespace borderlux
