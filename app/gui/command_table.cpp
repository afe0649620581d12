#include "command_table.h"

#include <algorithm>
#include <array>

namespace borderlux {

namespace {

using namespace std::string_view_literals;

constexpr std::array kCommands = {
    // File
    CommandDef { "acOpenFile", "Open...", "Open...", 1 },
    CommandDef { "acSaveAs", "Save", "Save", 0 },
    CommandDef { "acSaveFile", "Save as...", "Save as...", 18 },
    CommandDef { "acSelectScanner", "Select Scanner", "Select Scanner", -1 },
    CommandDef { "acAcquire", "Acquire", "Acquire", -1 },
    CommandDef { "acPrint", "Print", "Print", 11 },
    CommandDef { "acPrintArea", "Print Area", "Print Area", 12 },
    CommandDef { "acExit", "Exit", "Exit", -1 },
    // View
    CommandDef { "acZoomB", "Zoom+", "Zoom+", 42 },
    CommandDef { "acZoomS", "Zoom-", "Zoom-", 43 },
    CommandDef { "acFullImage", "Full size", "Full size", 55, true },
    CommandDef { "acFitImage", "Fit the screen", "Fit the screen", 54, true },
    // Edit
    CommandDef { "acUndo", "Undo", "Undo", 3 },
    CommandDef { "acCrop", "Crop", "Crop", 46 },
    CommandDef { "acResize", "Resize", "Resize", 48 },
    CommandDef { "acRotate", "Rotate", "Rotate", 49 },
    CommandDef { "acRemoveRedEye", "Remove Red Eye", "Remove Red Eye", 47 },
    CommandDef { "acLightDarkness", "Lightness Adjust", "Lightness Adjust", 50 },
    CommandDef { "acAdjustColor", "Color Adjust", "Color Adjust", 45 },
    CommandDef { "AddText1", "Add Text", "Add Text", 44, true },
    CommandDef { "acMerge", "Merge", "Merge all objects", 56 },
    // Effect
    CommandDef { "acGray", "Gray", "Gray", 16 },
    CommandDef { "acWave", "Wave", "Wave", 21 },
    CommandDef { "acShadow", "Shadow", "Shadow", 22 },
    CommandDef { "acBlur", "Blur", "Blur", 24 },
    CommandDef { "acLens", "Lens", "Lens", 25 },
    CommandDef { "acRoundConer", "Round Corner", "Round Corner", 26 },
    CommandDef { "acTile", "Tile", "Tile", 28 },
    CommandDef { "acMosac", "Mosaic", "Mosaic", 29 },
    CommandDef { "acTwist", "Twist", "Twist", 30 },
    CommandDef { "acEdgeDelect", "Edge Detect", "Edge Detect", 32 },
    // Options
    CommandDef { "acBackground", "Background", "Background", 57 },
    CommandDef { "acShowNavigation", "Show Welcome Screen", "", -1, true },
    // Help
    CommandDef { "acHelp", "Online tour", "Borderlux Help", 38 },
    CommandDef { "acSupport", "Borderlux Support", "Borderlux Support", -1 },
    CommandDef { "acViewSamples", "View samples of Borderlux", "", 58 },
    CommandDef { "acWebSite", "Borderlux Website", "Borderlux Website", 10 },
    // Tool bar only
    CommandDef { "ToolButtonTextCuror", "Insert text", "Text Curor", 44, true },
    CommandDef { "acFlipLeft", "Rotate-Left", "Rotate-Left", 52 },
    CommandDef { "acFlipRight", "Rotate-Right", "Rotate-Right", 53 },
    CommandDef { "acTrans", "Transparency", "Transparency", 51 },
    // Button row
    CommandDef { "acApply", "Apply", "Apply", 2 },
    CommandDef { "acCancel", "Cancel", "Cancel", 41 },
    CommandDef { "acHide", "Hide", "Hide Frame Style", 40 },
    // Context menus
    CommandDef { "acDeleteLayer", "Delete", "Delet object", 41 },
    CommandDef { "acSharePhoto", "Share with friends", "", 63 },
    CommandDef { "acFavFrame", "Add to my favorite", "Add to my favorite frames", 62 },
    CommandDef { "acDelFav", "Delete from my favorite", "Delete from my favorite", 41 },
};

constexpr std::array kFileMenu
    = { "acOpenFile"sv, "acSaveAs"sv, "acSaveFile"sv, kSeparator, "acSelectScanner"sv,
          "acAcquire"sv, kSeparator, "acPrint"sv, "acPrintArea"sv, kSeparator, "acExit"sv };
constexpr std::array kViewMenu = { "acZoomB"sv, "acZoomS"sv, "acFullImage"sv, "acFitImage"sv };
constexpr std::array kEditMenu = { "acUndo"sv, kSeparator, "acCrop"sv, "acResize"sv, "acRotate"sv,
    "acRemoveRedEye"sv, "acLightDarkness"sv, "acAdjustColor"sv, "AddText1"sv, "acMerge"sv };
constexpr std::array kEffectMenu = { "acGray"sv, "acWave"sv, "acShadow"sv, "acBlur"sv, "acLens"sv,
    "acRoundConer"sv, "acTile"sv, "acMosac"sv, "acTwist"sv, "acEdgeDelect"sv };
constexpr std::array kOptionsMenu = { "acBackground"sv, "acShowNavigation"sv };
constexpr std::array kHelpMenu
    = { "acHelp"sv, "acSupport"sv, kSeparator, "acViewSamples"sv, "acWebSite"sv };

constexpr std::array kMainMenu = {
    MenuDef { "File1", "&File", kFileMenu },
    MenuDef { "View1", "&View", kViewMenu },
    MenuDef { "Edit1", "&Edit", kEditMenu },
    MenuDef { "Effect1", "Effe&ct", kEffectMenu },
    MenuDef { "Options1", "&Options", kOptionsMenu },
    MenuDef { "Help1", "&Help", kHelpMenu },
};

constexpr std::array kToolBar = { "acOpenFile"sv, "acSaveAs"sv, "acSaveFile"sv, kSeparator,
    "acZoomB"sv, "acZoomS"sv, "acFullImage"sv, "acFitImage"sv, "acUndo"sv, kSeparator,
    "acFlipLeft"sv, "acFlipRight"sv, "ToolButtonTextCuror"sv, "acCrop"sv, "acRotate"sv,
    "acResize"sv, "acLightDarkness"sv, "acTrans"sv, "acRemoveRedEye"sv, "acAdjustColor"sv,
    kSeparator, "acPrint"sv, "acPrintArea"sv, kSeparator, "acWebSite"sv };

constexpr std::array kButtonRow = { "acApply"sv, "acUndo"sv, "acCancel"sv, "acHide"sv };

constexpr std::array kViewPopup
    = { "acFlipLeft"sv, "acFlipRight"sv, "acRotate"sv, kSeparator, "acTrans"sv, "acAdjustColor"sv,
          kSeparator, "acDeleteLayer"sv, "acMerge"sv, kSeparator, "acSharePhoto"sv };

constexpr std::array kLibraryPopup = { "acApply"sv, kSeparator, "acFavFrame"sv, "acDelFav"sv };

} // namespace

std::span<const CommandDef> Commands()
{
    return kCommands;
}

const CommandDef* FindCommand(std::string_view name)
{
    auto it = std::find_if(
        kCommands.begin(), kCommands.end(), [&](const CommandDef& c) { return c.name == name; });
    return it == kCommands.end() ? nullptr : &*it;
}

std::span<const MenuDef> MainMenu()
{
    return kMainMenu;
}
std::span<const std::string_view> ToolBarEntries()
{
    return kToolBar;
}
std::span<const std::string_view> ButtonRowEntries()
{
    return kButtonRow;
}
std::span<const std::string_view> ViewPopupEntries()
{
    return kViewPopup;
}
std::span<const std::string_view> LibraryPopupEntries()
{
    return kLibraryPopup;
}

QString IconPath(int image)
{
    return image < 0 ? QString() : QStringLiteral(":/icons/%1.svg").arg(image);
}

} // namespace borderlux
