#include "app/photo/photo_document.h"

#include "platform/image_io/image_io.h"

#include <filesystem>
#include <system_error>

namespace borderlux {

namespace fs = std::filesystem;

PhotoDocument::PhotoDocument(std::string userDataFolder)
    : m_userDataFolder(std::move(userDataFolder))
    , m_ownView(std::make_unique<TIELayerView>())
    , m_view(m_ownView.get())
{
}

PhotoDocument::PhotoDocument(TIELayerView& view, std::string userDataFolder)
    : m_userDataFolder(std::move(userDataFolder))
    , m_view(&view)
{
    retakePristine();
}

void PhotoDocument::StartUpBlankView()
{
    m_view->BlankCurrent();
}

void PhotoDocument::StartUpConfigureProcessor()
{
    Proc().SetAutoUndo(false);
    Proc().SetUndoLimit(10);
}

void PhotoDocument::StartUpLockPhotoLayer()
{
    TIELayer& photo = m_view->LayerAt(0);
    photo.Selectable = false;
    photo.Locked = true;
}

void PhotoDocument::StartUpCreatePristine()
{
    m_pristine.LayerAt(0).Bitmap.Clear();
}

bool PhotoDocument::StartUpOpenCommandLine(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 2 || arguments[1].empty())
        return false;
    std::error_code ec;
    const fs::file_status status = fs::status(arguments[1], ec);
    if (ec || !fs::exists(status) || fs::is_directory(status))
        return false;
    OpenPhoto(arguments[1]);
    return true;
}

std::string PhotoDocument::WorkFilePath(const std::string& photoPath) const
{
    // The extension is taken from the file name only, so a dot in a folder name is no
    // extension.
    const std::string extension = fs::path(photoPath).filename().extension().string();
    return m_userDataFolder + "workfile" + extension;
}

void PhotoDocument::resetDocument()
{
    m_view->ClearCurrent();
    m_view->BlankCurrent();
    call(RemoveAllObjects);
    m_view->DeleteUpperLayers();
}

void PhotoDocument::copyToWorkFile(const std::string& path)
{
    // Every failure here is ignored: the document never depends on the work file.
    std::error_code ec;
    std::string folder = m_userDataFolder;
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    if (!folder.empty() && !fs::exists(folder, ec))
        fs::create_directory(folder, ec);
    const std::string work = WorkFilePath(path);
    if (fs::exists(work, ec))
        fs::remove(work, ec);
    fs::copy_file(path, work, fs::copy_options::none, ec);
}

void PhotoDocument::retakePristine()
{
    m_pristine.BlankCurrent();
    m_pristine.ClearCurrent();
    m_view->RenderLayersTo(m_pristine.LayerAt(0).Bitmap);
}

void PhotoDocument::OpenPhoto(const std::string& path)
{
    m_photoPath = path;
    if (!path.empty()) {
        resetDocument();
        m_view->LayerAt(0).Selectable = false;
        copyToWorkFile(path);
        TIELayer& photo = m_view->LayerAt(0);
        if (ReadImage(path, photo.Bitmap)) {
            m_readFileName = path;
        } else {
            // The reader leaves an empty raster behind; the document stays blank instead.
            m_readFileName.clear();
            m_view->BlankCurrent();
        }
        m_view->Changed();
    }
    retakePristine();
}

void PhotoDocument::PrepareForEffect()
{
    m_view->FlattenLayers();
    if (CopyObjectsToBack)
        CopyObjectsToBack(true);
    m_view->DropCurrentAlpha(true);
    SetMouseInteraction(kMouseNone);
    Proc().SaveSnapshot(ieuImage);
}

void PhotoDocument::Cancel()
{
    m_view->ClearCurrent();
    m_view->BlankCurrent();
    call(RemoveAllObjects);
    m_view->DeleteUpperLayers();
    TIELayer& photo = m_view->LayerAt(0);
    photo.Bitmap.AssignPixels(m_pristine.LayerAt(0).Bitmap);
    photo.Locked = true;
    m_view->Changed();
}

void PhotoDocument::Undo()
{
    const int n = m_view->LayerCount();
    if (n > 1) {
        m_view->DeleteLayer(n - 1);
        if (n == 2) {
            SetMouseInteraction(kMouseNone);
            m_view->LayerAt(0).Selectable = false;
        }
        m_view->Changed();
        return;
    }
    if (Proc().HasSnapshots()) {
        Proc().RestoreSnapshot(0);
        Proc().DiscardLatestSnapshot();
    }
}

void PhotoDocument::Merge()
{
    if (m_view->LayerCount() > 1)
        m_view->FlattenLayers();
    call(UnselectAllObjects);
    call(ReleaseTextTool);
    if (CopyObjectsToBack)
        CopyObjectsToBack(true);
    m_view->DropCurrentAlpha(true);
    SetMouseInteraction(kMouseNone);
}

void PhotoDocument::DeleteLayer()
{
    const int current = m_view->CurrentLayer();
    if (current != 0)
        m_view->DeleteLayer(current);
}

void PhotoDocument::SetMouseInteraction(TMouseInteraction interaction)
{
    m_interaction = interaction;
    if (OnMouseInteraction)
        OnMouseInteraction(interaction);
}

} // namespace borderlux
