#pragma once

// The writing parts of the three output commands. Each renders the document flat
// (RenderFlatPicture) and hands the picture to the image writer, which picks the format from
// the target's extension (lower case). The document is never changed: layers and text stay
// editable after saving.
//
//   "Save as..."          the path the save dialog returns, proposed by ProposeSaveAs
//   "Save"                the current photo path: the opened photo is replaced without asking
//   "Share with friends"  ShareFilePath(): home folder + "/borderluxshare.jpg", always JPEG
//
// Every write uses OutputWriteOptions() (JPEG quality 80). An empty target path writes nothing
// and says nothing (Status::Skipped). Any other failure - a folder that cannot be written, a
// full disk, a file-size limit, an extension the writer cannot write - comes back as
// Status::Failed with the path and the writer's reason, for the GUI to show in a message box.
// The writer writes a temporary file beside the target and renames it over the target only when
// complete, so on every failure an existing file at the target is left exactly as it was.

#include "output/flat_picture.h"
#include "platform/image_io/image_io.h"

#include <string>

namespace borderlux {

class TIELayerView;

/// What a write came to.
struct OutputResult {
    enum class Status {
        Written, ///< the file was written
        Skipped, ///< empty target path: nothing written, nothing to show
        Failed, ///< nothing written; an existing file at `path` is unchanged
    };
    Status status = Status::Skipped;
    std::string path;
    std::string reason; ///< the writer's reason when Failed; a warning or empty otherwise

    bool Written() const { return status == Status::Written; }
    bool Failed() const { return status == Status::Failed; }
    /// The text for the message box of a failed write: the path and the reason. Empty unless
    /// Failed.
    std::string Message() const;
};

/// The writer's parameters of every output command: those of a fresh view (JPEG quality 80).
WriteOptions OutputWriteOptions();

/// What the "Save as..." dialog starts with, from the current photo path.
struct SaveAsProposal {
    std::string folder; ///< the photo's folder with its trailing '/'; "" without one
    std::string fileName; ///< "framed-" + the photo's file name ("framed-" with no photo)
    std::string extraFilter; ///< "*" + the photo's extension with its dot ("*.jpg"); "*" without
};
SaveAsProposal ProposeSaveAs(const std::string& photoPath);

/// Writes an already rendered picture to path (the "Save as..." order: render, dialog, write).
OutputResult WriteFlatPicture(const FlatPicture& picture, const std::string& path);

/// Renders `view` and writes it to path; an empty path renders nothing and is Skipped.
/// "Save" passes the current photo path, "Save as..." the dialog's path.
OutputResult SaveRenderedView(TIELayerView& view, const std::string& path);

/// home + "/borderluxshare.jpg"; without an argument the user's home folder (QDir::homePath()).
std::string ShareFilePath();
std::string ShareFilePath(const std::string& homeFolder);

/// "Share with friends": renders `view` and writes it as JPEG to ShareFilePath(homeFolder),
/// replacing an earlier share file. Neither sends nor opens it.
OutputResult SharePicture(TIELayerView& view, const std::string& homeFolder);
OutputResult SharePicture(TIELayerView& view);

} // namespace borderlux
