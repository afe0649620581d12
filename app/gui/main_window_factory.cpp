#include "app/gui/main_window_factory.h"

#include "app/gui/frm_main.h"

namespace borderlux {

MainWindowStartup CreateMainWindow(const StartupContext& context)
{
    auto window = std::make_unique<TfrmMain>(context);
    MainWindowStartup started;
    started.hooks = window->OwnStartupHooks();
    started.window = std::move(window);
    return started;
}

} // namespace borderlux
