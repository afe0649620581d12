#include "app/core/web_links.h"

#include <QDesktopServices>

namespace borderlux {

QUrl WebPageUrl(WebPage page, const QString& programFolder)
{
    const char* file = "help.html";
    switch (page) {
    case WebPage::Help:
        file = "help.html";
        break;
    case WebPage::Home:
        file = "web/index.html";
        break;
    case WebPage::Support:
        file = "web/support.html";
        break;
    case WebPage::Samples:
        file = "web/samples.html";
        break;
    case WebPage::Tour:
        file = "web/tour.html";
        break;
    case WebPage::TellAFriend:
        file = "web/tell-a-friend.html";
        break;
    }
    return QUrl::fromLocalFile(programFolder + file);
}

void OpenWebPage(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

} // namespace borderlux
