#include "app/gui/main_window_factory.h"

#include "app/gui/frm_main.h"

namespace borderlux {

void WireSubsystemCommands(TfrmMain& window)
{
    TfrmMain* w = &window;
    w->WireCommand("acApply", [w] { w->acApplyExecute(); });
    w->WireCommand("acSaveFile", [w] { w->acSaveFileExecute(); });
    w->WireCommand("acSaveAs", [w] { w->acSaveAsExecute(); });
    w->WireCommand("acSharePhoto", [w] { w->acSharePhotoExecute(); });
}

MainWindowStartup CreateMainWindow(const StartupContext& context)
{
    auto window = std::make_unique<TfrmMain>(context);
    WireSubsystemCommands(*window);
    MainWindowStartup started;
    started.hooks = window->OwnStartupHooks();
    started.window = std::move(window);
    return started;
}

} // namespace borderlux
