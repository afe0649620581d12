#include "output/save_share.h"

#include "document/layer_view.h"

#include <QDir>
#include <QFile>

namespace borderlux {

std::string OutputResult::Message() const
{
    if (!Failed())
        return {};
    return "Could not save the picture to \"" + path + "\": " + reason;
}

WriteOptions OutputWriteOptions()
{
    WriteOptions options;
    options.jpegQuality = 80;
    return options;
}

SaveAsProposal ProposeSaveAs(const std::string& photoPath)
{
    const size_t slash = photoPath.find_last_of('/');
    const std::string folder
        = slash == std::string::npos ? std::string() : photoPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? photoPath : photoPath.substr(slash + 1);
    // The extension runs from the name's last dot, as the dialog's filter expects it.
    const size_t dot = name.find_last_of('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    return { folder, "framed-" + name, "*" + extension };
}

OutputResult WriteFlatPicture(const FlatPicture& picture, const std::string& path)
{
    OutputResult result;
    result.path = path;
    if (path.empty())
        return result;
    const ImageIOResult written = WriteImage(path, picture.Bitmap(), OutputWriteOptions());
    result.status = written ? OutputResult::Status::Written : OutputResult::Status::Failed;
    result.reason = written.reason;
    if (result.Failed() && result.reason.empty())
        result.reason = "the file could not be written";
    return result;
}

OutputResult SaveRenderedView(TIELayerView& view, const std::string& path)
{
    if (path.empty())
        return {};
    return WriteFlatPicture(RenderFlatPicture(view), path);
}

std::string ShareFilePath(const std::string& homeFolder)
{
    std::string folder = homeFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder == "/")
        folder.clear();
    return folder + "/borderluxshare.jpg";
}

std::string ShareFilePath()
{
    return ShareFilePath(QFile::encodeName(QDir::homePath()).toStdString());
}

OutputResult SharePicture(TIELayerView& view, const std::string& homeFolder)
{
    return SaveRenderedView(view, ShareFilePath(homeFolder));
}

OutputResult SharePicture(TIELayerView& view)
{
    return SaveRenderedView(view, ShareFilePath());
}

} // namespace borderlux
