// The start-up sequence as a process: bl_startup_probe runs the real program entry with a
// main window that prints the steps it is asked to run. Each case runs the probe from a
// private program folder (a copy of the probe and of the shipped list files) through a
// symlink, the way an installed program is started from bin/.

#include "app/core/options.h"
#include "app/core/startup.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

using namespace borderlux;

namespace {

struct ProbeRun {
    int status = -1;
    QStringList out;
    QStringList err;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString shipped = qEnvironmentVariable("BORDERLUX_PROGRAM_DIR", BL_PROGRAM_DIR) + "/";
        m_program = QDir(m_dir.path()).canonicalPath() + "/lib/borderlux/";
        QDir().mkpath(m_program + "frames");
        QDir().mkpath(m_program + "stamps");
        QDir().mkpath(m_dir.path() + "/bin");
        ASSERT_TRUE(QFile::copy(shipped + "frames/f.dat", m_program + "frames/f.dat"));
        ASSERT_TRUE(QFile::copy(shipped + "stamps/s.dat", m_program + "stamps/s.dat"));
        ASSERT_TRUE(QFile::copy(BL_STARTUP_PROBE, m_program + "bl_startup_probe"));
        ASSERT_TRUE(QFile::link(m_program + "bl_startup_probe", m_dir.path() + "/bin/probe"));
        m_userData = m_dir.path() + "/data/Borderlux/";
    }

    ProbeRun run(const QStringList& arguments = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", m_dir.path() + "/data");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(m_dir.path() + "/bin/probe", arguments);
        ProbeRun r;
        if (!process.waitForFinished(30000))
            return r;
        r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        r.out = QString::fromLocal8Bit(process.readAllStandardOutput())
                    .split('\n', Qt::SkipEmptyParts);
        // Qt may add its own warnings on stderr (no runtime folder and the like); the program's
        // own lines start with "borderlux:".
        for (const QString& line :
            QString::fromLocal8Bit(process.readAllStandardError()).split('\n'))
            if (line.startsWith("borderlux"))
                r.err << line;
        return r;
    }

    void corrupt(const QString& path, const std::function<void(QByteArray&)>& change)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        change(bytes);
        f.resize(0);
        f.seek(0);
        f.write(bytes);
    }

    QTemporaryDir m_dir;
    QString m_program;
    QString m_userData;
};

TEST_F(StartupTest, RunsEveryStepInOrderWithTheProgramFolderBehindTheSymlink)
{
    const ProbeRun r = run({ "/photos/lake.jpg" });
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err.join('\n'));
    const QStringList expected = {
        "factory " + m_program + " " + m_userData,
        "grid",
        "fill frames/free",
        "blank",
        "processor",
        "lock",
        "selectors | free:61 my favorite:62 classic:61 holiday:61 fun:61 mats:61"
        " | fun:6 my favorite:62 nature:6 party:6",
        "font Arial Black 20 #ff0000",
        "pristine",
        "open /photos/lake.jpg",
        "welcome",
    };
    EXPECT_EQ(r.out, expected);
    // Start-up itself writes nothing into the user data folder.
    EXPECT_FALSE(QDir(m_userData).exists());
}

TEST_F(StartupTest, WelcomeScreenAndPhotoStepsFollowTheirConditions)
{
    struct Case {
        const char* showAtStart; ///< nullptr: no option.cfg
        bool welcome;
    };
    for (const Case c : { Case { "no", false }, Case { "No", true }, Case { "yes", true },
             Case { "", true }, Case { nullptr, true } }) {
        QFile::remove(m_userData + "option.cfg");
        if (c.showAtStart)
            WriteOption(m_userData + "option.cfg", "ini", "showatstart", c.showAtStart);
        const ProbeRun r = run();
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.contains("welcome"), c.welcome)
            << (c.showAtStart ? c.showAtStart : "(none)");
        EXPECT_FALSE(r.out.join('\n').contains("open ")) << "no photo was named";
    }
}

TEST_F(StartupTest, DamagedLibraryEndsWithOneLineAndNoWindow)
{
    struct Case {
        const char* name;
        std::function<void()> damage;
    };
    const QString frames = m_program + "frames/f.dat";
    const QString stamps = m_program + "stamps/s.dat";
    const Case cases[] = {
        { "f.dat byte changed",
            [&] { corrupt(frames, [](QByteArray& b) { b[0] = char(b[0] ^ 1); }); } },
        { "s.dat line break added", [&] { corrupt(stamps, [](QByteArray& b) { b += "\r\n"; }); } },
        { "s.dat missing", [&] { QFile::remove(stamps); } },
    };
    const QByteArray framesBackup = [&] {
        QFile f(frames);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const QString stampsCopy = m_dir.path() + "/s.dat";
    ASSERT_TRUE(QFile::copy(stamps, stampsCopy));
    for (const Case& c : cases) {
        c.damage();
        const ProbeRun r = run({ "/photos/lake.jpg" });
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_TRUE(r.out.isEmpty()) << c.name << ": the main window was created";
        ASSERT_EQ(r.err.size(), 1) << c.name;
        EXPECT_EQ(r.err[0],
            "borderlux: the frame library in " + m_program
                + " is damaged or missing (digest check failed)")
            << c.name;
        // restore both lists for the next case
        QFile f(frames);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(framesBackup);
        f.close();
        QFile::remove(stamps);
        ASSERT_TRUE(QFile::copy(stampsCopy, stamps));
    }
}

TEST_F(StartupTest, EmptyHooksAreSkipped)
{
    // In process: a main window that wires none of the steps still starts.
    int created = 0;
    StartupResult r = RunStartupSequence(
        m_program, { "borderlux", "/photos/lake.jpg" }, [&](const StartupContext& context) {
            ++created;
            EXPECT_EQ(context.programFolder, m_program);
            return MainWindowStartup {};
        });
    EXPECT_TRUE(r.libraryOk);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(r.window, nullptr);

    QFile::remove(m_program + "frames/f.dat");
    r = RunStartupSequence(m_program, {}, [&](const StartupContext&) {
        ++created;
        return MainWindowStartup {};
    });
    EXPECT_FALSE(r.libraryOk);
    EXPECT_EQ(created, 1) << "no window for a damaged library";
}

} // namespace
