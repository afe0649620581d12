// The open-picture dialog: Qt's own dialog, all pictures as the first filter, and a preview
// pane that shows the highlighted picture and its pixel size.

#include "platform/image_io/image_io.h"
#include "platform/ui/open_dialog.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace borderlux;

class TestOpenDialog : public QObject {
    Q_OBJECT

private slots:
    void filtersAndOptions()
    {
        OpenPictureDialog dialog;
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
        const QStringList filters = OpenPictureDialog::Filters();
        QVERIFY(filters.first().startsWith("All pictures ("));
        QVERIFY(filters.first().contains("*.jpg"));
        QVERIFY(filters.first().contains("*.png"));
        // Write-only formats are no pictures to open.
        QVERIFY(!filters.join(' ').contains("*.pdf"));
        QCOMPARE(dialog.selectedNameFilter(), filters.first());
    }

    void previewShowsTheHighlightedPicture()
    {
        QTemporaryDir dir;
        TIEBitmap bmp;
        bmp.Allocate(300, 150, ie24RGB);
        bmp.Fill(RGBColor(0, 128, 255));
        const QString path = dir.filePath("wide.png");
        QVERIFY(WriteImage(path.toStdString(), bmp));

        OpenPictureDialog dialog;
        dialog.setDirectory(dir.path());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        emit dialog.currentChanged(path);
        const QPixmap shown = dialog.PreviewLabel()->pixmap();
        QVERIFY(!shown.isNull());
        // Scaled into the pane with its proportions kept.
        QCOMPARE(shown.width(), 2 * shown.height());
        QCOMPARE(
            shown.toImage().pixelColor(shown.width() / 2, shown.height() / 2), QColor(0, 128, 255));
        QVERIFY(dialog.PreviewInfo()->text().startsWith("300 x 150"));

        // A file that is no picture clears the pane.
        emit dialog.currentChanged(dir.filePath("missing.jpg"));
        QVERIFY(dialog.PreviewLabel()->pixmap().isNull());
    }
};

QTEST_MAIN(TestOpenDialog)
#include "test_open_dialog.moc"
