#include "engine/BrowserProcess.h"

#include "engine/PipeTransport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace trovix {

namespace {

const QString profilePrefix = QStringLiteral("trovix-engine-");

QString profileRoot()
{
    // The user's runtime folder when the session has one (QStandardPaths would warn).
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() || !QFileInfo(runtime).isWritable() ? QDir::tempPath() : runtime;
}

// The parent of a process, from /proc/PID/stat; 0 when it is gone.
qint64 parentOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    return line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
}

bool isDescendantOf(qint64 pid, qint64 ancestor)
{
    for (int depth = 0; pid > 1 && depth < 8; ++depth) {
        pid = parentOf(pid);
        if (pid == ancestor)
            return true;
    }
    return false;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

BrowserProcess::BrowserProcess(QObject* parent) : QObject(parent) {}

BrowserProcess::~BrowserProcess()
{
    end();
}

QString BrowserProcess::chooseExecutable()
{
    const QString chosen = qEnvironmentVariable("TROVIX_BROWSER");
    if (!chosen.isEmpty())
        return chosen;
    // Debian's /usr/bin/chromium-headless-shell runs this binary without exec: the
    // browser would not be our own child.
    const QString shell = QStringLiteral("/usr/lib/chromium/chromium-headless-shell");
    if (QFileInfo(shell).isExecutable())
        return shell;
    for (const QString& name : {QStringLiteral("chromium-headless-shell"), QStringLiteral("chromium")}) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

void BrowserProcess::removeStaleProfiles()
{
    const QDir root(profileRoot());
    for (const QString& name :
         root.entryList({profilePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        // trovix-engine-OWNER-XXXXXX: only folders of ours whose owner has gone.
        const qint64 owner = name.mid(profilePrefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong();
        if (owner <= 0 || ::kill(pid_t(owner), 0) == 0 || errno != ESRCH)
            continue;
        if (QFileInfo(root.filePath(name)).ownerId() == ::geteuid())
            QDir(root.filePath(name)).removeRecursively();
    }
}

PipeTransport* BrowserProcess::start(const QString& executable, const QStringList& arguments, QString* error)
{
    end();
    if (executable.isEmpty()) {
        *error = QStringLiteral("no browser found");
        return nullptr;
    }
    const QByteArray profileTemplate = QFile::encodeName(profileRoot() + QLatin1Char('/') + profilePrefix) +
                                       QByteArray::number(::getpid()) + "-XXXXXX";
    QByteArray profile = profileTemplate;
    // mkdtemp makes it 0700.
    if (!::mkdtemp(profile.data())) {
        *error = systemError(errno);
        return nullptr;
    }
    profile_ = QFile::decodeName(profile);

    const QByteArray program = QFile::encodeName(executable);
    QList<QByteArray> words{program, "--remote-debugging-pipe", "--user-data-dir=" + profile};
    for (const QString& argument : arguments)
        words.append(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // toChild: we write, the child reads on 3; fromChild: the child writes on 4. report:
    // the child's exec error, if any; it closes on a successful exec.
    int toChild[2], fromChild[2], report[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0 ||
        ::pipe2(report, O_CLOEXEC) != 0) {
        *error = systemError(errno);
        end();
        return nullptr;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here on. The browser starts with no signal of
        // ours blocked or ignored: its processes rely on their defaults.
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int signal = 1; signal < NSIG; ++signal)
            ::signal(signal, SIG_DFL);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        // Out of the way of 3 and 4 first, then into them.
        const int in = ::fcntl(toChild[0], F_DUPFD, 10);
        const int out = ::fcntl(fromChild[1], F_DUPFD, 10);
        const int errorPipe = ::fcntl(report[1], F_DUPFD_CLOEXEC, 10);
        if (in < 0 || out < 0 || errorPipe < 0 || ::dup2(in, 3) != 3 || ::dup2(out, 4) != 4)
            ::_exit(127);
        // Every other descriptor of ours closes here, or at the exec.
        ::syscall(SYS_close_range, 5u, unsigned(errorPipe) - 1, 0u);
        ::syscall(SYS_close_range, unsigned(errorPipe) + 1, ~0u, 0u);
        ::execve(argv[0], argv.data(), environ);
        const int failure = errno;
        (void)!::write(errorPipe, &failure, sizeof failure);
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    ::close(report[1]);
    if (pid < 0) {
        *error = systemError(errno);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        ::close(report[0]);
        end();
        return nullptr;
    }
    pid_ = pid;
    int failure = 0;
    ssize_t got;
    do
        got = ::read(report[0], &failure, sizeof failure);
    while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == sizeof failure) {
        *error = systemError(failure);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        end();
        return nullptr;
    }
    return new PipeTransport(fromChild[0], toChild[1]);
}

QList<qint64> BrowserProcess::rendererPids() const
{
    QList<qint64> found;
    if (pid_ == 0)
        return found;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const qint64 pid = name.toLongLong();
        if (pid <= 0)
            continue;
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!commandLine.open(QIODevice::ReadOnly) || !commandLine.readAll().contains("--type=renderer"))
            continue;
        if (isDescendantOf(pid, pid_))
            found.append(pid);
    }
    return found;
}

void BrowserProcess::end()
{
    if (pid_ != 0) {
        // Its children end as their browser goes.
        for (const qint64 renderer : rendererPids())
            ::kill(pid_t(renderer), SIGKILL);
        ::kill(pid_t(pid_), SIGKILL);
        while (::waitpid(pid_t(pid_), nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = 0;
    }
    if (!profile_.isEmpty())
        QDir(std::exchange(profile_, QString())).removeRecursively();
}

} // namespace trovix
