// The window program where no display can be opened: one line and status 3,
// never Qt's abort; scripts/run then runs the terminal read-out.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvora::gui {
namespace {

// An environment with no way to any display: an X display number nobody
// serves and a Wayland socket that does not exist in a fresh runtime folder.
QProcessEnvironment NoDisplayEnvironment(const QTemporaryDir& runtime, const QString& display,
                                         const QString& wayland) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
  if (!wayland.isEmpty()) env.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland);
  return env;
}

struct ProcessRun {
  QProcess::ExitStatus exitStatus;
  int exitCode;
  QString out;
  QString err;
};

ProcessRun RunToEnd(const QString& program, const QProcessEnvironment& env, const QString& folder) {
  QProcess process;
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(folder);
  process.start(program, {});
  const bool ended = process.waitForFinished(20000);
  if (!ended) process.kill();
  process.waitForFinished(5000);
  return {ended ? process.exitStatus() : QProcess::CrashExit, process.exitCode(),
          QString::fromLocal8Bit(process.readAllStandardOutput()),
          QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(ProgramDisplay, NoDisplayGivesOneLineAndStatusThree) {
  ASSERT_FALSE(QFile::exists(QStringLiteral("/tmp/.X11-unix/X97")));
  struct Row {
    const char* name;
    const char* display;
    const char* wayland;
    const char* named;
  } rows[] = {
      {"stale_x_display", ":97", "", "DISPLAY=:97, WAYLAND_DISPLAY unset"},
      {"only_wayland_display", "", "wayland-97", "DISPLAY unset, WAYLAND_DISPLAY=wayland-97"},
      {"both_stale", ":97", "wayland-97", "DISPLAY=:97, WAYLAND_DISPLAY=wayland-97"},
  };
  for (const Row& r : rows) {
    QTemporaryDir runtime;
    const ProcessRun run = RunToEnd(QStringLiteral(KELVORA_GUI_PATH),
                             NoDisplayEnvironment(runtime, QString::fromUtf8(r.display),
                                                  QString::fromUtf8(r.wayland)),
                             runtime.path());
    EXPECT_EQ(run.exitStatus, QProcess::NormalExit) << r.name;
    EXPECT_EQ(run.exitCode, 3) << r.name;
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << r.name << ": " << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("kelvora: no display can be opened (") +
                                   QString::fromUtf8(r.named) + QStringLiteral(")")))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << r.name;
  }
}

// scripts/run with its installer and builder stubbed out and a stand-in for
// the terminal read-out: a stale display ends in the read-out, not an abort.
TEST(ProgramDisplay, RunScriptFallsBackToTheTerminalReadout) {
  QTemporaryDir root;
  const QString scripts = root.filePath(QStringLiteral("scripts"));
  ASSERT_TRUE(QDir().mkpath(scripts));
  ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("build/gui"))));
  ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("build/cli"))));
  ASSERT_TRUE(QFile::copy(QStringLiteral(KELVORA_RESOURCE_DIR "/../scripts/run"),
                          scripts + QStringLiteral("/run")));
  const auto writeScript = [](const QString& path, const QByteArray& body) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  };
  writeScript(scripts + QStringLiteral("/install-deps"), "exit 0\n");
  writeScript(scripts + QStringLiteral("/build"), "exit 0\n");
  writeScript(root.filePath(QStringLiteral("build/cli/kelvora-cli")), "echo \"read-out $*\"\n");
  // The sample directory, which the script copies into an empty folder.
  ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("resources"))));
  writeScript(root.filePath(QStringLiteral("resources/EME.DTA")), "");
  ASSERT_TRUE(QFile::link(QStringLiteral(KELVORA_GUI_PATH),
                          root.filePath(QStringLiteral("build/gui/kelvora"))));

  QTemporaryDir runtime;
  const ProcessRun run = RunToEnd(scripts + QStringLiteral("/run"),
                           NoDisplayEnvironment(runtime, QStringLiteral(":97"), QString()),
                           runtime.path());
  EXPECT_EQ(run.exitStatus, QProcess::NormalExit);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.endsWith(QStringLiteral("\nread-out watch\n"))) << run.out.toStdString();
  EXPECT_TRUE(QFile::exists(runtime.filePath(QStringLiteral("EME.DTA"))));
  EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
}

// With a platform that opens (the offscreen one), chosen by the environment
// or by Qt's own -platform option, the window program starts and keeps
// running, whatever DISPLAY says; it is stopped by its own process id.
TEST(ProgramDisplay, OpenableDisplayStartsTheWindow) {
  struct Row {
    const char* name;
    const char* platformVariable;
    const char* display;
    QStringList arguments;
  } rows[] = {
      {"platform_variable", "offscreen", "", {}},
      {"platform_option_without_display", "", "", {"-platform", "offscreen"}},
      {"platform_option_with_stale_display", "", ":97", {"-platform", "offscreen"}},
  };
  for (const Row& r : rows) {
    QTemporaryDir runtime;
    QProcessEnvironment env =
        NoDisplayEnvironment(runtime, QString::fromUtf8(r.display), QString());
    if (*r.platformVariable != '\0') {
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromUtf8(r.platformVariable));
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(runtime.path());
    process.start(QStringLiteral(KELVORA_GUI_PATH), r.arguments);
    ASSERT_TRUE(process.waitForStarted(5000)) << r.name;
    EXPECT_FALSE(process.waitForFinished(2000))
        << r.name << ": " << process.readAllStandardError().toStdString();
    process.kill();
    process.waitForFinished(5000);
  }
}

}  // namespace
}  // namespace kelvora::gui
