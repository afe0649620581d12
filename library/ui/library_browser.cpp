#include "library/ui/library_browser.h"

#include "library/ui/favourites.h"
#include "library/ui/img_m_view.h"
#include "library/ui/preview_view.h"
#include "platform/image_io/image_io.h"
#include "platform/ui/busy_cursor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSignalBlocker>

namespace borderlux {

namespace {

bool isAcceptedFileName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && IsAcceptedReadExtension(name.mid(dot + 1).toStdString());
}

void selectFirstQuietly(QComboBox* selector)
{
    if (!selector || selector->count() == 0)
        return;
    // activated() is user-only already; the blocker also keeps currentIndexChanged quiet for
    // anyone listening to it.
    const QSignalBlocker blocker(selector);
    selector->setCurrentIndex(0);
}

} // namespace

LibraryBrowser::LibraryBrowser(TImgMView* grid, TImgViewPreview* preview, QComboBox* frameSelector,
    QComboBox* stampSelector, QObject* parent)
    : QObject(parent)
    , m_grid(grid)
    , m_preview(preview)
    , m_frameSelector(frameSelector)
    , m_stampSelector(stampSelector)
{
    if (grid) {
        connect(grid, &TImgMView::ImageSelect, this, &LibraryBrowser::ImgMViewMainImageSelect);
        connect(grid, &TImgMView::ImageDblClick, this, [this] { Q_EMIT applyRequested(); });
        connect(grid, &TImgMView::dragStarting, this,
            [this](int index) { Q_EMIT dragStarted(m_grid->imageFileName(index)); });
        connect(grid, &TImgMView::contextMenuRequested, this, &LibraryBrowser::showPopup);
    }
    for (QComboBox* selector : { frameSelector, stampSelector }) {
        if (!selector)
            continue;
        selector->setEditable(false);
        connect(selector, &QComboBox::activated, this, [this, selector] {
            if (selector == m_frameSelector)
                ComboBox1Change();
            else
                ComboBox2Change();
        });
    }
}

void LibraryBrowser::setProgramFolder(std::function<QString()> programFolder)
{
    m_programFolder = std::move(programFolder);
}

void LibraryBrowser::setPopupMenu(QMenu* menu, QAction* acFavFrame, QAction* acDelFav)
{
    m_popup = menu;
    m_acFavFrame = acFavFrame;
    m_acDelFav = acDelFav;
}

QString LibraryBrowser::programFolder() const
{
    return m_programFolder ? m_programFolder() : QString();
}

QString LibraryBrowser::selectedPath() const
{
    return m_grid ? m_grid->imageFileName(m_grid->selectedImage()) : QString();
}

void LibraryBrowser::SetupGrid()
{
    if (!m_grid)
        return;
    m_grid->setThumbSize(100, 80);
    m_grid->setStoreType(ietThumb);
    FormResize();
}

void LibraryBrowser::FillStartFolder()
{
    const QString folder = programFolder() + QLatin1String("frames/free");
    if (m_grid && QFileInfo(folder).isDir() && FillThumbnails(folder) && m_grid->imageCount() > 0)
        m_grid->setSelectedImage(0);
}

void LibraryBrowser::LoadCategoryLists()
{
    LoadCategoryLists(borderlux::LoadCategoryLists(programFolder()));
}

void LibraryBrowser::LoadCategoryLists(const CategorySelectors& items)
{
    fillSelector(m_frameSelector, items.frames);
    fillSelector(m_stampSelector, items.stamps);
}

void LibraryBrowser::fillSelector(QComboBox* selector, const std::vector<SelectorItem>& items)
{
    if (!selector)
        return;
    const QSignalBlocker blocker(selector);
    selector->clear();
    for (const SelectorItem& item : items)
        selector->addItem(m_icons ? m_icons(item.imageIndex) : QIcon(), item.caption);
    selectFirstQuietly(selector);
}

void LibraryBrowser::FormResize()
{
    if (m_grid)
        m_grid->setGridWidth(ColumnCountFor(m_grid->width(), m_grid->thumbWidth()));
}

bool LibraryBrowser::FillThumbnails(const QString& folderIn)
{
    if (!m_grid)
        return true;
    const BusyCursor busy;
    QString folder = folderIn;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const uint64_t generation = ++m_fillGeneration;
    ++m_fillDepth;
    // Pending events may close the window and take the grid, or this controller, with it.
    const QPointer<LibraryBrowser> self = this;
    const QPointer<TImgMView> grid = m_grid;
    grid->clear();
    grid->lockPaint();

    // Name order, as the folder search of a desktop file system gives it, so that a category
    // always shows its pictures in the same order.
    const QFileInfoList files = QDir(folder).entryInfoList(
        QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    bool superseded = false;
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        if (grid->imageCount() < kMaxGridItems && isAcceptedFileName(name))
            grid->appendImage(folder + name, QColor::fromRgb(kThumbnailItemColor));
        QCoreApplication::processEvents();
        if (!self) {
            if (grid)
                grid->unlockPaint();
            return false;
        }
        // A category change handled just now started its own fill, which owns the grid now.
        if (!grid || generation != m_fillGeneration) {
            superseded = true;
            break;
        }
    }
    --m_fillDepth;
    if (!grid)
        return false;
    grid->unlockPaint();
    if (superseded)
        return false;
    if (grid->imageCount() > 0)
        grid->setSelectedImage(0);
    return true;
}

void LibraryBrowser::categoryChanged(CategoryKind kind)
{
    QComboBox* selector = kind == CategoryKind::Frames ? m_frameSelector : m_stampSelector;
    QComboBox* other = kind == CategoryKind::Frames ? m_stampSelector : m_frameSelector;
    if (!m_grid || !selector)
        return;
    if (kind == CategoryKind::Frames)
        m_grid->clear();
    const QString folder
        = CategoryFolder(kind, selector->currentText(), programFolder(), m_userDataFolder);
    if (!FillThumbnails(folder))
        return;
    if (m_grid->imageCount() > 0)
        m_grid->setSelectedImage(0);
    // An empty folder gives an empty path, which reads nothing: the preview keeps its picture.
    if (m_preview)
        m_preview->readFile(m_grid->imageFileName(0));
    selectFirstQuietly(other);
}

void LibraryBrowser::ComboBox1Change()
{
    categoryChanged(CategoryKind::Frames);
}

void LibraryBrowser::ComboBox2Change()
{
    categoryChanged(CategoryKind::Stamps);
}

void LibraryBrowser::ImgMViewMainImageSelect(int index)
{
    if (m_grid && m_preview)
        m_preview->readFile(m_grid->imageFileName(index));
}

void LibraryBrowser::PopupMenu2Popup()
{
    const bool favourite = IsFavouritePath(selectedPath());
    if (m_acDelFav)
        m_acDelFav->setEnabled(favourite);
    if (m_acFavFrame)
        m_acFavFrame->setEnabled(!favourite);
}

void LibraryBrowser::showPopup(const QPoint& globalPos)
{
    if (!m_popup)
        return;
    PopupMenu2Popup();
    m_popup->exec(globalPos);
}

QString LibraryBrowser::acFavFrameExecute()
{
    return AddFavourite(selectedPath(), m_userDataFolder);
}

void LibraryBrowser::acDelFavExecute()
{
    if (!m_grid || m_grid->selectedImage() < 0)
        return;
    const int index = m_grid->selectedImage();
    QFile::remove(m_grid->imageFileName(index));
    m_grid->deleteImage(index);
}

} // namespace borderlux
