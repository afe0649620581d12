// A stand-in for the borderlux executable: the real program entry with a main window that
// only prints, one line each, that it was created and which start-up steps ran, then quits.

#include "app/core/program_entry.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace borderlux;

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
}

MainWindowStartup createProbe(const StartupContext& context)
{
    say("factory " + context.programFolder + " " + context.userDataFolder);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    MainWindowStartup start;
    StartupHooks& h = start.hooks;
    h.setUpThumbnailGrid = [] { say("grid"); };
    h.fillThumbnailGrid = [program = context.programFolder](
                              const QString& folder) { say("fill " + folder.mid(program.size())); };
    h.blankMainView = [] { say("blank"); };
    h.configureMainProcessor = [] { say("processor"); };
    h.lockPhotoLayer = [] { say("lock"); };
    h.fillCategorySelectors
        = [](const std::vector<SelectorItem>& frames, const std::vector<SelectorItem>& stamps) {
              QString line = "selectors";
              for (const auto* list : { &frames, &stamps }) {
                  line += " |";
                  for (const SelectorItem& item : *list)
                      line += QString(" %1:%2").arg(item.caption).arg(item.imageIndex);
              }
              say(line);
          };
    h.setDefaultTextFont = [](const DefaultTextFont& font) {
        say(QString("font %1 %2 %3").arg(font.face).arg(font.pointSize).arg(font.color.name()));
    };
    h.createPristineCopy = [] { say("pristine"); };
    h.openCommandLinePhoto = [](const QString& path) { say("open " + path); };
    h.showWelcomeScreen = [] { say("welcome"); };
    return start;
}

} // namespace

int main(int argc, char** argv)
{
    const int status = ProgramEntry(argc, argv, createProbe);
    std::fflush(stdout);
    return status;
}
