// The picture dialogs. Open: Qt's own dialog, all pictures as the first filter, and a preview
// pane that shows the highlighted picture and its pixel size. Save: starts with the folder,
// name and extra filter it is given and returns the chosen path, empty when cancelled.

#include "platform/image_io/image_io.h"
#include "platform/ui/open_dialog.h"
#include "platform/ui/save_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

    void saveDialogStartsWithTheProposalAndReturnsThePath()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/";
        {
            SavePictureDialog dialog(nullptr, folder, "framed-beach.jpg", "*.jpg");
            QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
            QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
            const QStringList filters = dialog.nameFilters();
            QVERIFY(filters.first().startsWith("All pictures ("));
            QCOMPARE(dialog.selectedNameFilter(), filters.first());
            QCOMPARE(filters.last(), QString("*.jpg"));
            // What only the writer knows is offered; what it cannot write is not.
            QVERIFY(filters.first().contains("*.pdf"));
            QVERIFY(!filters.join(' ').contains("*.webp"));
            QCOMPARE(QDir(dialog.directory()).canonicalPath(), QDir(folder).canonicalPath());
        }
        // Accepted with the proposed name, then cancelled.
        for (const bool accept : { true, false }) {
            QTimer::singleShot(0, [accept] {
                auto* d = qobject_cast<SavePictureDialog*>(QApplication::activeModalWidget());
                if (!d)
                    return;
                QCOMPARE(
                    d->findChild<QLineEdit*>("fileNameEdit")->text(), QString("framed-beach.jpg"));
                QDialog* box = d; // accept() is public on QDialog
                accept ? box->accept() : box->reject();
            });
            const QString chosen
                = GetSavePictureFileName(nullptr, folder, "framed-beach.jpg", "*.jpg");
            QCOMPARE(
                QFileInfo(chosen).fileName(), accept ? QString("framed-beach.jpg") : QString());
            if (accept)
                QCOMPARE(QFileInfo(chosen).dir().canonicalPath(), QDir(folder).canonicalPath());
        }
    }
};

QTEST_MAIN(TestOpenDialog)
#include "test_open_dialog.moc"
