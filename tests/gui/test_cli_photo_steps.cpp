// borderlux-cli's document steps, run as the user runs them: exit status, message and the
// picture written.

#include "platform/image_io/image_io.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace borderlux;

class TestCliPhotoSteps : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_input;

    struct Run {
        int code = -1;
        QString err;
    };

    Run cli(const QStringList& steps, const QString& output)
    {
        QProcess p;
        p.start(QStringLiteral(BORDERLUX_CLI),
            QStringList { m_input } + steps + QStringList { output });
        if (!p.waitForFinished(60000))
            return {};
        return { p.exitCode(), QString::fromUtf8(p.readAllStandardError()) };
    }

    static TIEBitmap read(const QString& path)
    {
        TIEBitmap bmp;
        ReadImage(path.toStdString(), bmp);
        return bmp;
    }

    static bool same(const TIEBitmap& a, const TIEBitmap& b)
    {
        if (a.Width() != b.Width() || a.Height() != b.Height())
            return false;
        for (int y = 0; y < a.Height(); ++y)
            if (std::memcmp(a.Row(y), b.Row(y), size_t(a.Width()) * 3) != 0)
                return false;
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        TIEBitmap bmp;
        bmp.Allocate(40, 30, ie24RGB);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                *bmp.PixelPtr(x, y) = TRGB { 7, uint8_t(y * 8), uint8_t(x * 6) };
        m_input = m_dir.filePath("in.png");
        QVERIFY(WriteImage(m_input.toStdString(), bmp));
    }

    void stepsThatLeaveThePhoto_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("cancel after an effect") << QStringList { "--negative", "--cancel" };
        QTest::newRow("delete and merge with the photo only")
            << QStringList { "--delete-layer", "--merge" };
        QTest::newRow("undo with nothing to undo") << QStringList { "--undo" };
        QTest::newRow("background and layer 0")
            << QStringList { "--background", "102030", "--layer", "0" };
    }

    void stepsThatLeaveThePhoto()
    {
        QFETCH(QStringList, steps);
        const QString out = m_dir.filePath(
            QStringLiteral("out-%1.png").arg(QTest::currentDataTag()).replace(' ', '-'));
        const Run r = cli(steps, out);
        QCOMPARE(r.code, 0);
        QVERIFY(same(read(out), read(m_input)));
    }

    void refusedArguments_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("message");
        QTest::newRow("the photo layer is locked")
            << QStringList { "--move-layer", "5", "5" } << "layer 0 is locked";
        QTest::newRow("no such layer") << QStringList { "--layer", "3" } << "there is no layer 3";
        QTest::newRow("not a number")
            << QStringList { "--move-layer", "x", "1" } << "'x' is not an integer";
        QTest::newRow("empty size")
            << QStringList { "--layer-geometry", "0", "0", "0", "5" } << "at least 1 x 1";
        QTest::newRow("bad colour")
            << QStringList { "--background", "12345g" } << "is not a colour RRGGBB";
    }

    void refusedArguments()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, message);
        const QString out = m_dir.filePath("refused.png");
        QFile::remove(out);
        const Run r = cli(steps, out);
        QVERIFY(r.code != 0);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_MAIN(TestCliPhotoSteps)
#include "test_cli_photo_steps.moc"
