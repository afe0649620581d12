#include "app/gui/frm_main.h"

#include "app/core/web_links.h"
#include "app/gui/command_table.h"
#include "library/ui/img_m_view.h"
#include "library/ui/library_browser.h"
#include "library/ui/preview_view.h"
#include "platform/ui/img_vect.h"
#include "platform/ui/message_box.h"
#include "platform/ui/open_dialog.h"
#include "platform/ui/save_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <new>

namespace borderlux {

namespace {

constexpr int kDesignWidth = 890;
constexpr int kDesignHeight = 493;
constexpr int kToolBarHeight = 33;
constexpr int kToolButtonSize = 25;
constexpr int kButtonRowHeight = 38;
constexpr int kLibraryHeight = 120;
constexpr int kPreviewWidth = 110;

QString qstr(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

uint32_t toBgr(const QColor& c)
{
    return RGBColor(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}
QColor fromBgr(uint32_t c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

} // namespace

TfrmMain::TfrmMain(const StartupContext& context, QWidget* parent)
    : QMainWindow(parent)
    , m_programFolder(context.programFolder)
    , m_userDataFolder(context.userDataFolder)
    , m_arguments(context.arguments)
    , m_photo(context.userDataFolder.toStdString())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Borderlux 6.71 Build0601"));
    setFont(QFont(QStringLiteral("Tahoma"), 9));
    resize(kDesignWidth, kDesignHeight);

    OpenDialog = [this] { return GetOpenPictureFileName(this); };
    ColorDialog = [this](const QColor& initial) {
        return QColorDialog::getColor(initial, this, QString(), QColorDialog::DontUseNativeDialog);
    };
    OpenWebPage = [](const QUrl& url) { borderlux::OpenWebPage(url); };
    SaveDialog = [this](const QString& folder, const QString& fileName, const QString& extra) {
        return GetSavePictureFileName(this, folder, fileName, extra);
    };
    ShowMessageBox
        = [this](const QString& text, const QString& caption) { ShowMessage(this, text, caption); };

    createCommands();
    createMenus();
    createToolBar();
    createCentralArea();
    createStatusBar();
    wireOwnCommands();

    m_photo.OnMouseInteraction = [this](TMouseInteraction mi) { m_view->SetMouseInteraction(mi); };
    m_view->SetLayerView(&m_photo.View());

    // The window sees key releases before its controls (F1 anywhere in it opens the help) and
    // the grid's resizes (see eventFilter).
    qApp->installEventFilter(this);
    restoreFormSettings();
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    m_view->SetLayerView(nullptr);
}

// --- Commands -------------------------------------------------------------------------------

void TfrmMain::createCommands()
{
    for (const CommandDef& def : Commands()) {
        auto* a = new QAction(qstr(def.caption), this);
        a->setObjectName(qstr(def.name));
        if (!def.hint.empty()) {
            a->setStatusTip(qstr(def.hint));
            a->setToolTip(qstr(def.hint));
        }
        if (def.image >= 0)
            a->setIcon(QIcon(IconPath(def.image)));
        a->setCheckable(def.checkable);
        // Until a handler is wired the command cannot be chosen.
        a->setEnabled(false);
        m_commands.insert(a->objectName(), a);
    }
}

QAction* TfrmMain::Command(std::string_view name) const
{
    return m_commands.value(qstr(name), nullptr);
}

void TfrmMain::WireCommand(std::string_view name, std::function<void()> handler)
{
    QAction* a = Command(name);
    if (!a)
        return;
    const QString key = qstr(name);
    if (auto it = m_handlers.find(key); it != m_handlers.end())
        disconnect(*it);
    m_handlers.insert(
        key, connect(a, &QAction::triggered, this, [this, handler = std::move(handler)] {
            if (!handler)
                return;
            // The one place a command's shortage of memory is caught: it must not cross the
            // signal that ran the command, and the window stays usable for the next one.
            try {
                handler();
            } catch (const std::bad_alloc&) {
                ShowMessageBox(QStringLiteral("Not enough memory to finish the command."),
                    QStringLiteral("Borderlux"));
            }
        }));
    a->setEnabled(true);
}

void TfrmMain::wireOwnCommands()
{
    WireCommand("acOpenFile", [this] { acOpenFileExecute(); });
    WireCommand("acExit", [this] { acExitExecute(); });
    WireCommand("acZoomB", [this] { acZoomBExecute(); });
    WireCommand("acZoomS", [this] { acZoomSExecute(); });
    WireCommand("acFullImage", [this] { acFullImageExecute(); });
    WireCommand("acFitImage", [this] { acFitImageExecute(); });
    WireCommand("acUndo", [this] { acUndoExecute(); });
    WireCommand("acCancel", [this] { acCancelExecute(); });
    WireCommand("acMerge", [this] { acMergeExecute(); });
    WireCommand("acDeleteLayer", [this] { acDeleteLayerExecute(); });
    WireCommand("acHide", [this] { acHideExecute(); });
    WireCommand("acBackground", [this] { acBackgroundExecute(); });
    WireCommand("acHelp", [this] { acHelpExecute(); });
    WireCommand("acSupport", [this] { acSupportExecute(); });
    WireCommand("acViewSamples", [this] { acViewSamplesExecute(); });
    WireCommand("acWebSite", [this] { acWebSiteExecute(); });
    WireCommand("acFavFrame", [this] { m_browser->acFavFrameExecute(); });
    WireCommand("acDelFav", [this] { m_browser->acDelFavExecute(); });
}

QMenu* TfrmMain::buildMenu(QMenu* menu, std::span<const std::string_view> entries)
{
    for (std::string_view e : entries) {
        if (e == kSeparator)
            menu->addSeparator();
        else if (QAction* a = Command(e))
            menu->addAction(a);
    }
    return menu;
}

void TfrmMain::createMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    for (const MenuDef& def : MainMenu()) {
        QMenu* menu = bar->addMenu(qstr(def.title));
        menu->setObjectName(qstr(def.objectName));
        buildMenu(menu, def.entries);
    }
    m_popup1 = buildMenu(new QMenu(this), ViewPopupEntries());
    m_popup1->setObjectName(QStringLiteral("PopupMenu1"));
    connect(m_popup1, &QMenu::aboutToShow, this, &TfrmMain::PopupMenu1Popup);
    m_popup2 = buildMenu(new QMenu(this), LibraryPopupEntries());
    m_popup2->setObjectName(QStringLiteral("PopupMenu2"));
}

void TfrmMain::createToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar_Main"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setFixedHeight(kToolBarHeight);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (std::string_view e : ToolBarEntries()) {
        if (e == kSeparator) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* a = Command(e);
        m_toolBar->addAction(a);
        if (QWidget* w = m_toolBar->widgetForAction(a))
            w->setFixedSize(kToolButtonSize, kToolButtonSize);
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

QPushButton* TfrmMain::makeRowButton(QAction* action, const QString& caption)
{
    auto* b = new QPushButton(m_panelBottomTop);
    b->setObjectName(QStringLiteral("Button_") + action->objectName().mid(2));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    auto sync = [b, action, caption] {
        b->setText(caption.isEmpty() ? action->text() : caption);
        b->setIcon(action->icon());
        b->setToolTip(action->toolTip());
        b->setStatusTip(action->statusTip());
        b->setEnabled(action->isEnabled());
    };
    sync();
    connect(action, &QAction::changed, b, sync);
    connect(b, &QPushButton::clicked, action, &QAction::trigger);
    return b;
}

void TfrmMain::createCentralArea()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_panelMain = new QWidget(central);
    m_panelMain->setObjectName(QStringLiteral("Panel_Main"));
    auto* mainColumn = new QVBoxLayout(m_panelMain);
    mainColumn->setContentsMargins(0, 0, 0, 0);
    mainColumn->setSpacing(0);

    m_view = new TImgVect(m_panelMain);
    m_view->setObjectName(QStringLiteral("ImgView_Main"));
    m_view->OnDrawLayerBox
        = [this](TImgVect& v, QPainter& p, int layer) { ImgView_MainDrawLayerBox(v, p, layer); };
    m_view->OnDrawLayerGrip
        = [this](TImgVect& v, QPainter& p, int layer, int grip, const QRect& r) {
              ImgView_MainDrawLayerGrip(v, p, layer, grip, r);
          };
    m_view->OnDragOver
        = [this](QObject* source, const QPoint&) { return ImgView_MainDragOver(source); };
    m_view->OnDragDrop = [this](QObject* source, const QPoint&) { ImgView_MainDragDrop(source); };
    m_view->OnContextPopup = [this](const QPoint& global) { m_popup1->exec(global); };
    mainColumn->addWidget(m_view, 1);

    m_panelBottomTop = new QWidget(m_panelMain);
    m_panelBottomTop->setObjectName(QStringLiteral("Panel_BottomTop"));
    m_panelBottomTop->setFixedHeight(kButtonRowHeight);
    auto* row = new QHBoxLayout(m_panelBottomTop);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(6);
    auto* frameLabel = new QLabel(QStringLiteral("Frame Style:"), m_panelBottomTop);
    frameLabel->setObjectName(QStringLiteral("Label_FrameStyle"));
    m_comboFrames = new QComboBox(m_panelBottomTop);
    m_comboFrames->setObjectName(QStringLiteral("ComboBoxEx1"));
    m_comboFrames->setFixedWidth(94);
    m_comboFrames->setEditable(false);
    auto* stampLabel = new QLabel(QStringLiteral("Stamps: "), m_panelBottomTop);
    stampLabel->setObjectName(QStringLiteral("Label_Stamps"));
    m_comboStamps = new QComboBox(m_panelBottomTop);
    m_comboStamps->setObjectName(QStringLiteral("ComboBoxEx2"));
    m_comboStamps->setFixedWidth(107);
    m_comboStamps->setEditable(false);
    row->addWidget(frameLabel);
    row->addWidget(m_comboFrames);
    row->addWidget(stampLabel);
    row->addWidget(m_comboStamps);
    row->addSpacing(8);
    for (std::string_view e : ButtonRowEntries()) {
        QAction* a = Command(e);
        QPushButton* b
            = e == "acApply" ? makeRowButton(a, QStringLiteral("&Apply")) : makeRowButton(a);
        if (e == "acApply")
            b->setFont(QFont(QStringLiteral("Times New Roman"), 12));
        row->addWidget(b);
    }
    row->addStretch(1);
    mainColumn->addWidget(m_panelBottomTop);
    column->addWidget(m_panelMain, 1);

    m_panelBottom = new QWidget(central);
    m_panelBottom->setObjectName(QStringLiteral("Panel_Bottom"));
    m_panelBottom->setFixedHeight(kLibraryHeight);
    m_libraryHeight = kLibraryHeight;
    auto* lib = new QHBoxLayout(m_panelBottom);
    lib->setContentsMargins(0, 0, 0, 0);
    lib->setSpacing(0);
    m_grid = new TImgMView(m_panelBottom);
    m_grid->setObjectName(QStringLiteral("ImgMViewMain"));
    m_preview = new TImgViewPreview(m_panelBottom);
    m_preview->setObjectName(QStringLiteral("ImgViewPreView"));
    m_preview->setFixedWidth(kPreviewWidth);
    lib->addWidget(m_grid, 1);
    lib->addWidget(m_preview);
    column->addWidget(m_panelBottom);

    m_browser = new LibraryBrowser(m_grid, m_preview, m_comboFrames, m_comboStamps, this);
    m_browser->setProgramFolder([this] { return m_programFolder; });
    m_browser->setUserDataFolder(m_userDataFolder);
    m_browser->setIconProvider([](int i) { return QIcon(IconPath(i)); });
    m_browser->setPopupMenu(m_popup2, Command("acFavFrame"), Command("acDelFav"));
    connect(m_browser, &LibraryBrowser::applyRequested, this, &TfrmMain::RunApply);
    connect(this, &TfrmMain::FormResize, m_browser, &LibraryBrowser::FormResize);

    setCentralWidget(central);
}

void TfrmMain::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar_Main"));
    bar->setSizeGripEnabled(false);
    auto* name = new QLabel(QStringLiteral("Borderlux"), bar);
    name->setObjectName(QStringLiteral("StatusPanel0"));
    name->setFixedWidth(100);
    auto* site = new QLabel(QString::fromLatin1(kWebSiteCaption), bar);
    site->setObjectName(QStringLiteral("StatusPanel1"));
    site->setMinimumWidth(50);
    bar->addWidget(name);
    bar->addWidget(site, 1);
}

// --- Start-up -------------------------------------------------------------------------------

StartupHooks TfrmMain::OwnStartupHooks()
{
    StartupHooks h;
    h.setUpThumbnailGrid = [this] { m_browser->SetupGrid(); };
    h.fillThumbnailGrid = [this](const QString&) { m_browser->FillStartFolder(); };
    h.blankMainView = [this] { m_photo.StartUpBlankView(); };
    h.configureMainProcessor = [this] { m_photo.StartUpConfigureProcessor(); };
    h.lockPhotoLayer = [this] { m_photo.StartUpLockPhotoLayer(); };
    h.fillCategorySelectors
        = [this](const std::vector<SelectorItem>& frames, const std::vector<SelectorItem>& stamps) {
              m_browser->LoadCategoryLists(CategorySelectors { frames, stamps });
          };
    h.createPristineCopy = [this] { m_photo.StartUpCreatePristine(); };
    h.openCommandLinePhoto = [this](const QString& path) {
        m_photo.StartUpOpenCommandLine({ std::string("borderlux"), path.toStdString() });
    };
    return h;
}

// --- Document commands ----------------------------------------------------------------------

void TfrmMain::acOpenFileExecute()
{
    const QString path = OpenDialog ? OpenDialog() : QString();
    // A cancelled dialog leaves the document, its photo path and its pristine copy alone, so
    // Save keeps writing to the photo still on screen.
    if (path.isEmpty())
        return;
    m_photo.OpenPhoto(path.toStdString());
    m_view->Fit();
}

void TfrmMain::acUndoExecute()
{
    m_photo.Undo();
    update();
}

void TfrmMain::acCancelExecute()
{
    m_photo.Cancel();
}
void TfrmMain::acMergeExecute()
{
    m_photo.Merge();
}
void TfrmMain::acDeleteLayerExecute()
{
    m_photo.DeleteLayer();
}

void TfrmMain::PopupMenu1Popup()
{
    const bool upper = m_photo.CurrentIsUpperLayer();
    Command("acDeleteLayer")->setEnabled(upper);
    Command("acMerge")->setEnabled(upper);
}

void TfrmMain::RunApply()
{
    // Through the command, so every route to Apply shares its enabled state and its guard.
    if (QAction* a = Command("acApply"); a && a->isEnabled())
        a->trigger();
}

// --- View commands --------------------------------------------------------------------------

void TfrmMain::acZoomBExecute()
{
    m_view->SetZoom(m_view->Zoom() + 10);
}

void TfrmMain::acZoomSExecute()
{
    const double z = m_view->Zoom() - 10;
    if (z > 0)
        m_view->SetZoom(z);
}

void TfrmMain::acFullImageExecute()
{
    m_view->SetAutoFit(false);
    m_view->SetZoom(100);
    Command("acFullImage")->setChecked(true);
    Command("acFitImage")->setChecked(false);
}

void TfrmMain::acFitImageExecute()
{
    m_view->SetAutoFit(true);
    Command("acFitImage")->setChecked(true);
    Command("acFullImage")->setChecked(false);
}

void TfrmMain::acHideExecute()
{
    QAction* a = Command("acHide");
    if (m_panelBottom->isVisible()) {
        m_libraryHeight = m_panelBottom->height();
        m_panelBottom->hide();
        a->setText(QStringLiteral("Show"));
    } else {
        m_panelBottom->setFixedHeight(m_libraryHeight);
        m_panelBottom->show();
        a->setText(QStringLiteral("Hide"));
    }
}

void TfrmMain::acBackgroundExecute()
{
    const QColor chosen
        = ColorDialog ? ColorDialog(fromBgr(m_photo.View().Background())) : QColor();
    if (!chosen.isValid())
        return;
    m_photo.View().SetBackground(toBgr(chosen));
    m_photo.View().Changed();
}

void TfrmMain::acExitExecute()
{
    close();
    QCoreApplication::quit();
}

void TfrmMain::acHelpExecute()
{
    OpenWebPage(WebPageUrl(WebPage::Help, m_programFolder));
}
void TfrmMain::acSupportExecute()
{
    OpenWebPage(WebPageUrl(WebPage::Support, m_programFolder));
}
void TfrmMain::acViewSamplesExecute()
{
    OpenWebPage(WebPageUrl(WebPage::Samples, m_programFolder));
}
void TfrmMain::acWebSiteExecute()
{
    OpenWebPage(WebPageUrl(WebPage::Home, m_programFolder));
}

// --- Layer handles and drag and drop --------------------------------------------------------

void TfrmMain::ImgView_MainDrawLayerBox(TImgVect& view, QPainter& canvas, int layer)
{
    const IERect r = view.LayerView()->LayerAt(layer).ScreenRect;
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.setPen(QPen(QColor(0, 128, 0), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    canvas.setBrush(Qt::NoBrush);
    // One pixel outside the area the layer was drawn in: the 2-pixel pen straddles the line
    // through the pixel centres just outside the rectangle.
    canvas.drawRect(QRectF(r.left - 1, r.top - 1, r.right - r.left + 1, r.bottom - r.top + 1));
    canvas.restore();
}

void TfrmMain::ImgView_MainDrawLayerGrip(TImgVect&, QPainter& canvas, int, int, const QRect& rect)
{
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, true);
    canvas.setPen(QPen(QColor(0, 128, 0), 1));
    canvas.setBrush(QColor(0, 255, 0));
    canvas.drawEllipse(QRectF(rect.left() - 1, rect.top() - 1, rect.width() + 2, rect.height() + 2)
                           .adjusted(0.5, 0.5, -0.5, -0.5));
    canvas.restore();
}

bool TfrmMain::ImgView_MainDragOver(QObject* source)
{
    // Only thumbnails dragged from the grid are accepted; the grid starts its drags itself.
    auto* w = qobject_cast<QWidget*>(source);
    return w && (w == m_grid || m_grid->isAncestorOf(w));
}

void TfrmMain::ImgView_MainDragDrop(QObject*)
{
    // The drop position plays no part: frames cover the photo, stamps are centred.
    RunApply();
}

// --- Window ---------------------------------------------------------------------------------

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    emit FormResize();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The grid's width follows the window's only once the layout has run, which for the first
    // show is after the window's own resize; the column count is set from the grid's final size.
    if (watched == m_grid && event->type() == QEvent::Resize)
        emit FormResize();
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* w = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat() && w && w->window() == this) {
            acHelpExecute();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // Closing is never refused; the document is discarded without a question.
    saveFormSettings();
    event->accept();
}

QString TfrmMain::FormSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Borderlux/borderlux.ini");
}

void TfrmMain::restoreFormSettings()
{
    QSettings s(FormSettingsPath(), QSettings::IniFormat);
    const QByteArray geometry = s.value(QStringLiteral("frmMain/Geometry")).toByteArray();
    const bool maximised = s.value(QStringLiteral("frmMain/Maximized"), true).toBool();
    if (!geometry.isEmpty()) {
        restoreGeometry(geometry);
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    setWindowState(
        maximised ? (windowState() | Qt::WindowMaximized) : (windowState() & ~Qt::WindowMaximized));
    const QColor background(s.value(QStringLiteral("ImgView_Main/Background")).toString());
    if (background.isValid())
        m_photo.View().SetBackground(toBgr(background));
}

void TfrmMain::saveFormSettings()
{
    QSettings s(FormSettingsPath(), QSettings::IniFormat);
    s.setValue(QStringLiteral("frmMain/Geometry"), saveGeometry());
    s.setValue(QStringLiteral("frmMain/Maximized"), isMaximized());
    s.setValue(
        QStringLiteral("ImgView_Main/Background"), fromBgr(m_photo.View().Background()).name());
    s.sync();
}

} // namespace borderlux
