#pragma once

// Other processes for the tests: another program that holds a file while the
// test runs, and the test itself run again as an unprivileged user (permission
// bits do not restrict root, and CI runs as root).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

// A forked child that runs `hold` (opens a file, locks it, ...), reports whether
// that worked, and keeps what it holds until release() or the end of the
// object; `releaseAfterMs` >= 0 lets it release by itself after that time.
class HeldByChild
{
public:
    explicit HeldByChild(const std::function<bool()> &hold, const std::function<void()> &undo = {},
                         int releaseAfterMs = -1)
    {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const char ok = hold() ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            if (releaseAfterMs >= 0) {
                ::usleep(useconds_t(releaseAfterMs) * 1000);
            } else {
                char c;
                (void)!::read(release[0], &c, 1);
            }
            if (undo)
                undo();
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        pollfd p{ready[0], POLLIN, 0};
        char ok = '0';
        if (m_pid > 0 && ::poll(&p, 1, 20000) == 1 && ::read(ready[0], &ok, 1) == 1)
            m_ready = ok == '1';
        ::close(ready[0]);
    }
    ~HeldByChild() { release(); }

    bool ready() const { return m_ready; }

    void release()
    {
        if (m_release >= 0) {
            ::close(m_release); // the child's read returns
            m_release = -1;
        }
        if (m_pid > 0) {
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_ready = false;
};

// Another program with a write lock on the file (an open write transaction):
// nobody else reads or writes the file until it ends.
inline std::unique_ptr<HeldByChild> holdWriteLock(const QString &path, int releaseAfterMs = -1)
{
    const QString name = QStringLiteral("another program");
    return std::make_unique<HeldByChild>(
        [path, name] {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
            db.setDatabaseName(path);
            return db.open() && QSqlQuery(db).exec("BEGIN EXCLUSIVE");
        },
        [name] { QSqlQuery(QSqlDatabase::database(name, false)).exec("ROLLBACK"); }, releaseAfterMs);
}

// Runs one row of a test function of this test program again as the user
// "nobody", through setpriv or runuser. The child gets a copy of the program
// and a temporary folder of its own (TMPDIR), so neither where the program was
// built nor the parent's temporary folder needs to be open to other users.
struct Unprivileged
{
    bool available = false; // running as root, with nobody and setpriv or runuser
    bool passed = false;
    QString output;

    static Unprivileged run(const QString &function, const QString &tag)
    {
        Unprivileged result;
        const passwd *nobody = ::getpwnam("nobody");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        const QString runuser = QStandardPaths::findExecutable(QStringLiteral("runuser"),
                                                               {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        QTemporaryDir home;
        if (::geteuid() != 0 || !nobody || (setpriv.isEmpty() && runuser.isEmpty()) || !home.isValid())
            return result;
        result.available = true;
        const QString program = home.filePath(QStringLiteral("test-program"));
        const QString tmp = home.filePath(QStringLiteral("tmp"));
        if (!QFile::copy(QCoreApplication::applicationFilePath(), program) || !QDir().mkdir(tmp)
            || !handOver(home.path(), *nobody) || !handOver(program, *nobody) || !handOver(tmp, *nobody)) {
            result.output = QStringLiteral("the folder for the unprivileged run could not be prepared");
            return result;
        }
        QStringList arguments;
        if (!setpriv.isEmpty()) {
            arguments << QStringLiteral("--reuid=%1").arg(nobody->pw_uid)
                      << QStringLiteral("--regid=%1").arg(nobody->pw_gid)
                      << QStringLiteral("--clear-groups") << QStringLiteral("--") << program;
        } else {
            arguments << QStringLiteral("-u") << QStringLiteral("nobody") << QStringLiteral("--") << program;
        }
        arguments << (tag.isEmpty() ? function : QStringLiteral("%1:%2").arg(function, tag));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp);
        env.insert(QStringLiteral("HOME"), home.path());
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(home.path());
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(setpriv.isEmpty() ? runuser : setpriv, arguments);
        const bool ended = child.waitForFinished(120000);
        result.output = QString::fromLocal8Bit(child.readAll());
        // A row the child skipped did not run: that is no pass.
        result.passed = ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
            && !result.output.contains(QLatin1String("SKIP   :"));
        return result;
    }

private:
    static bool handOver(const QString &path, const passwd &user)
    {
        return ::chown(QFile::encodeName(path).constData(), user.pw_uid, user.pw_gid) == 0
            && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

// In a test function: as root, runs the current row as "nobody" instead and
// returns; otherwise goes on in this process.
#define RUN_UNPRIVILEGED()                                                                                     \
    do {                                                                                                       \
        if (::geteuid() == 0) {                                                                                \
            const Unprivileged run = Unprivileged::run(QString::fromUtf8(QTest::currentTestFunction()),        \
                                                       QString::fromUtf8(QTest::currentDataTag()));            \
            if (!run.available)                                                                                \
                QSKIP("permission bits do not restrict root, and no unprivileged user is available");          \
            QVERIFY2(run.passed, qPrintable(run.output));                                                      \
            return;                                                                                            \
        }                                                                                                      \
    } while (false)
