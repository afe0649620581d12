#pragma once

// The one place for the addresses the program opens: the help file and the pages of the
// product's web site. Until the site exists every page is an HTML file shipped in the program
// folder, so no link is dead; pointing them at the site later changes only web_links.cpp.

#include <QString>
#include <QUrl>

namespace borderlux {

enum class WebPage {
    Help, ///< the manual, program folder + "help.html" (Help > "Online tour")
    Home, ///< "Borderlux Website", welcome screen "Home"
    Support, ///< "Borderlux Support", welcome screen "Support Center"
    Samples, ///< "View samples of Borderlux", welcome screen "Online Samples"
    Tour, ///< welcome screen "Online Flash Tour"
    TellAFriend, ///< welcome screen "Tell A Friend"
};

/// The short address shown in the main window's status bar.
inline constexpr const char* kWebSiteCaption = "borderlux.example";

/// The address of a page for the program in programFolder (ending in "/").
QUrl WebPageUrl(WebPage page, const QString& programFolder);

/// Hands url to the desktop's default handler. The result is ignored: a missing handler
/// shows nothing.
void OpenWebPage(const QUrl& url);

} // namespace borderlux
