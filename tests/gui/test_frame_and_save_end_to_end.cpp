// End to end: the program started with a photo on its command line, a frame picked in the
// thumbnail grid, Apply and "Save as..." clicked as the user clicks them. The saved file must
// be byte for byte what the command line writes for the same framing: borderlux-cli's
// --apply where it has it, else the commands' own tool frame_tool.

#include "app/gui/frm_main.h"
#include "app/gui/main_window_factory.h"
#include "library/ui/img_m_view.h"
#include "platform/image_io/image_io.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace borderlux;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int run(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(120000))
        return -1;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Where the two pictures differ, as a picture: white where equal, the difference elsewhere.
QString writeDiff(const QString& a, const QString& b)
{
    TIEBitmap x, y;
    ReadImage(a.toStdString(), x);
    ReadImage(b.toStdString(), y);
    if (x.Width() != y.Width() || x.Height() != y.Height())
        return QStringLiteral("sizes %1 x %2 and %3 x %4")
            .arg(x.Width())
            .arg(x.Height())
            .arg(y.Width())
            .arg(y.Height());
    QImage diff(x.Width(), x.Height(), QImage::Format_RGB888);
    int64_t differing = 0;
    for (int r = 0; r < x.Height(); ++r)
        for (int c = 0; c < x.Width(); ++c) {
            const TRGB p = x.ReadRGB(c, r);
            const TRGB q = y.ReadRGB(c, r);
            const int d = std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
            differing += d != 0;
            diff.setPixelColor(c, r, d ? QColor(255, std::max(0, 255 - 8 * d), 0) : Qt::white);
        }
    const QString out = QDir::current().filePath("end_to_end_diff.png");
    diff.save(out);
    return QStringLiteral("%1 pixels differ, see %2").arg(differing).arg(out);
}

} // namespace

class TestFrameAndSaveEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void frameFromTheGridSavedAsTheCommandLineWritesIt()
    {
        const QString program = qEnvironmentVariable("BORDERLUX_PROGRAM_DIR");
        if (program.isEmpty())
            QSKIP("BORDERLUX_PROGRAM_DIR is not set");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString photo = dir.filePath("lake.jpg");
        QVERIFY(QFile::copy(program + "/sample/sample.jpg", photo));

        // The user's run.
        StartupResult started
            = RunStartupSequence(program + "/", { "borderlux", photo }, &CreateMainWindow);
        QVERIFY(started.libraryOk);
        auto* w = qobject_cast<TfrmMain*>(started.window.get());
        QVERIFY(w);
        QStringList proposed;
        const QString saved = dir.filePath("from-the-window.jpg");
        w->SaveDialog = [&](const QString& folder, const QString& name, const QString& extra) {
            proposed = QStringList { folder, name, extra };
            return saved;
        };
        QStringList messages;
        w->ShowMessageBox = [&](const QString& text, const QString&) { messages << text; };
        w->setWindowState(Qt::WindowNoState);
        w->setGeometry(0, 0, 1000, 700);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));

        TImgMView* grid = w->ImgMViewMain();
        int index = -1;
        for (int i = 0; i < grid->imageCount(); ++i)
            if (grid->imageFileName(i).endsWith("/a002.png"))
                index = i;
        QVERIFY(index >= 0);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(index).center());
        const QString frame = grid->imageFileName(grid->selectedImage());
        QVERIFY(frame.endsWith("/a002.png"));
        QTest::mouseClick(w->findChild<QPushButton*>("Button_Apply"), Qt::LeftButton);
        QCOMPARE(w->Photo().View().LayerCount(), 2);
        auto* tools = w->findChild<QToolBar*>("ToolBar_Main");
        QWidget* saveAs = tools->widgetForAction(w->Command("acSaveFile"));
        QVERIFY(saveAs);
        QTest::mouseClick(saveAs, Qt::LeftButton);
        QCOMPARE(proposed, (QStringList { dir.path() + "/", "framed-lake.jpg", "*.jpg" }));
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        QVERIFY(QFileInfo::exists(saved));

        // The same framing on the command line.
        const QString reference = dir.filePath("from-the-command-line.jpg");
        QString help;
        run(QStringLiteral(BORDERLUX_CLI), { "--help" }, &help);
        QString output;
        int code;
        if (help.contains("--apply")) {
            code = run(
                QStringLiteral(BORDERLUX_CLI), { photo, "--apply", frame, reference }, &output);
        } else {
            code = run(QStringLiteral(BORDERLUX_FRAME_TOOL),
                { photo, "--apply", frame, "--save-as", reference }, &output);
        }
        QVERIFY2(code == 0, qPrintable(output));
        if (fileBytes(saved) != fileBytes(reference))
            QFAIL(qPrintable("the window's file differs: " + writeDiff(saved, reference)));
    }
};

QTEST_MAIN(TestFrameAndSaveEndToEnd)
#include "test_frame_and_save_end_to_end.moc"
