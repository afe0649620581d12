#include "app/core/program_entry.h"
#include "app/gui/main_window_factory.h"

int main(int argc, char** argv)
{
    return borderlux::ProgramEntry(argc, argv, &borderlux::CreateMainWindow);
}
