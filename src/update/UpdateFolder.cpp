#include "update/UpdateFolder.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trovix {

namespace {

QString systemError(int error = errno)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A file of the folder, relative to it.
QByteArray encoded(const QString& name)
{
    return QFile::encodeName(ProgramFolder::relative(name));
}

} // namespace

UpdateFolder::UpdateFolder(const ProgramFolder& programFolder)
    // Close-on-exec, so the Trovix the updater starts never holds the lock.
    : programFolder_(programFolder),
      folder_(::open(QFile::encodeName(programFolder.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

UpdateFolder::~UpdateFolder()
{
    if (folder_ >= 0)
        ::close(folder_);
}

bool UpdateFolder::lock()
{
    return folder_ >= 0 && ::flock(folder_, LOCK_EX | LOCK_NB) == 0;
}

QString UpdateFolder::path(const QString& name) const
{
    return programFolder_.file(name);
}

bool UpdateFolder::holdsFile(const QString& name) const
{
    struct stat status {};
    return ::fstatat(folder_, encoded(name).constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(status.st_mode);
}

QString UpdateFolder::exchange(const QString& first, const QString& second)
{
    if (::renameat2(folder_, encoded(first).constData(), folder_, encoded(second).constData(),
                    RENAME_EXCHANGE) != 0)
        return systemError();
    syncFolder();
    return {};
}

QString UpdateFolder::moveWithoutReplacing(const QString& from, const QString& to)
{
    if (::renameat2(folder_, encoded(from).constData(), folder_, encoded(to).constData(), RENAME_NOREPLACE) !=
        0)
        return systemError();
    syncFolder();
    return {};
}

QString UpdateFolder::remove(const QString& name)
{
    if (::unlinkat(folder_, encoded(name).constData(), 0) != 0)
        return errno == ENOENT ? QString() : systemError();
    syncFolder();
    return {};
}

QString UpdateFolder::replaceContent(const QString& name, const QString& scratch, const QByteArray& bytes)
{
    QFile file(path(scratch));
    QString error;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        error = file.errorString();
    else
        error = seal(file);
    if (error.isEmpty() &&
        ::renameat(folder_, encoded(scratch).constData(), folder_, encoded(name).constData()) != 0)
        error = systemError();
    if (!error.isEmpty()) {
        file.remove();
        return error;
    }
    syncFolder();
    return {};
}

QString UpdateFolder::seal(QFile& file)
{
    if (!file.flush())
        return file.errorString();
    if (::fsync(file.handle()) != 0)
        return systemError();
    return {};
}

void UpdateFolder::syncFolder()
{
    // The change has taken effect either way; only its durability is at stake.
    ::fsync(folder_);
}

} // namespace trovix
