// SPDX-License-Identifier: GPL-2.0-or-later
// The programs started where there is no display, and where the runtime
// folder is not set (cron, sudo, root shells): one clear line and status 1
// from the dialog programs, and no toolkit warnings from any program.
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitStatus;
    QString out;
    QString err;
};

// Runs program with nothing in its environment but these entries.
ProgramRun RunBare(const QString& program, const QStringList& arguments, const QStringList& environment)
{
    QProcessEnvironment bare;
    for (const QString& entry : environment)
        bare.insert(entry.section('=', 0, 0), entry.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(bare);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 128,
            QString::fromLocal8Bit(process.readAllStandardOutput()), QString::fromLocal8Bit(process.readAllStandardError())};
}

class NoDisplay : public ::testing::TestWithParam<const char*> {
protected:
    QTemporaryDir home;
    QStringList Environment(const QStringList& more = {}) const
    {
        return QStringList{"HOME=" + home.path(), "PATH=/usr/bin:/bin"} + more;
    }
};

TEST_P(NoDisplay, TheDialogProgramSaysSoInOneLineAndExits1)
{
    const QString program = QString::fromUtf8(GetParam());
    const QString name = program.section('/', -1);
    const QString expected = name + ": no display found; set DISPLAY or WAYLAND_DISPLAY, or use brovik-cli\n";

    // No display named at all, and one named that is not there.
    for (const QStringList& environment : {Environment(), Environment({"DISPLAY=:97"})}) {
        const ProgramRun run = RunBare(program, {}, environment);
        EXPECT_EQ(run.exitStatus, 1) << environment.join(' ').toStdString();
        EXPECT_EQ(run.err.toStdString(), expected.toStdString()) << environment.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

// A usage error ends the program before the toolkit starts: with a display
// (the offscreen one, where a window would open and wait) and without one
// (where the toolkit would say that there is none), the same line and 2.
TEST_P(NoDisplay, AnUnknownOptionExits2WithOneLineAndNoWindow)
{
    const QString program = QString::fromUtf8(GetParam());
    const QString name = program.section('/', -1);
    const QString expected = name + ": unknown option --bogus-option; try '" + name + " --help'\n";
    for (const QStringList& environment : {Environment(), Environment({"QT_QPA_PLATFORM=offscreen"})}) {
        const ProgramRun run = RunBare(program, {"--bogus-option"}, environment);
        EXPECT_EQ(run.exitStatus, 2) << environment.join(' ').toStdString();
        EXPECT_EQ(run.err.toStdString(), expected.toStdString()) << environment.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

// A Wayland display named, and Qt without its Wayland plugin: a copy of the
// program whose qt.conf points at the platform plugins less the Wayland
// ones. The line says what is there, what is missing and what to do, as in
// a desktop's Wayland session (where Qt asks for the Wayland plugin) and
// with the display alone (where it tries X).
TEST_P(NoDisplay, AWaylandDisplayWithoutQtsWaylandPluginIsNamed)
{
    const QString name = QString::fromUtf8(GetParam()).section('/', -1);
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms");
    QTemporaryDir copy;
    ASSERT_TRUE(QDir(copy.path()).mkpath("plugins/platforms"));
    for (const QString& plugin : platforms.entryList({"*.so"}, QDir::Files)) {
        if (!plugin.contains("wayland")) {
            ASSERT_TRUE(QFile::link(platforms.filePath(plugin), copy.filePath("plugins/platforms/" + plugin)));
        }
    }
    const QString program = copy.filePath(name);
    ASSERT_TRUE(QFile::copy(QString::fromUtf8(GetParam()), program));
    QFile conf(copy.filePath("qt.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[Paths]\nPlugins = " + copy.filePath("plugins").toUtf8() + "\n");
    conf.close();

    const QString expected = name + ": a Wayland display was found (WAYLAND_DISPLAY=wayland-test), but Qt's Wayland "
                                    "plugin is not installed; install the Debian package qt6-wayland, or set "
                                    "QT_QPA_PLATFORM=xcb to use X instead\n";
    for (const QStringList& environment : {Environment({"WAYLAND_DISPLAY=wayland-test", "XDG_SESSION_TYPE=wayland"}),
                                           Environment({"WAYLAND_DISPLAY=wayland-test"})}) {
        const ProgramRun run = RunBare(program, {}, environment);
        EXPECT_EQ(run.exitStatus, 1) << environment.join(' ').toStdString();
        EXPECT_EQ(run.err.toStdString(), expected.toStdString()) << environment.join(' ').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(DialogPrograms, NoDisplay, ::testing::Values(BROVIK_PATH, BROVIK_SIM_PATH),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.index == 0 ? "brovik" : "brovikSim");
                         });

TEST(NoRuntimeFolder, TheCommandLineProgramPrintsNoToolkitWarning)
{
    QTemporaryDir home;
    const QString chip = home.filePath("chip.bin");
    const ProgramRun run = RunBare(BROVIK_CLI_PATH, {"--port", "sim", "--chip", chip, "--fast", "blank"},
                            {"HOME=" + home.path(), "PATH=/usr/bin:/bin"});
    EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Blank")) << run.out.toStdString();
}

} // namespace
