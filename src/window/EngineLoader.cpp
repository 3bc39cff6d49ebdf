#include "window/EngineLoader.h"

#include "tracking/Browser.h"
#include "tracking/BrowserEngine.h"
#include "tracking/CourierCatalogue.h"

#include <QHash>

#include <cerrno>
#include <cstring>

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

namespace trovix {

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t now = ::write(fd, bytes.data() + written, size_t(bytes.size() - written));
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0)
            return false;
        written += now;
    }
    return true;
}

// A module is loaded once per process.
CreateEngineBrowser loadModule(QByteArrayView module, QString* error)
{
    static QHash<const char*, CreateEngineBrowser> loaded;
    if (const auto found = loaded.constFind(module.data()); found != loaded.constEnd())
        return *found;

    const int fd = ::memfd_create("trovix-engine", MFD_CLOEXEC);
    if (fd < 0) {
        *error = systemError();
        return nullptr;
    }
    if (!writeAll(fd, module)) {
        *error = systemError();
        ::close(fd);
        return nullptr;
    }
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(fd);
    // Every symbol resolved now: a module that does not fit this executable fails here,
    // not halfway through a query.
    void* handle = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    ::close(fd);
    if (!handle) {
        *error = QString::fromLocal8Bit(::dlerror());
        return nullptr;
    }
    auto create = reinterpret_cast<CreateEngineBrowser>(::dlsym(handle, createEngineBrowserName));
    if (!create) {
        *error = QString::fromLocal8Bit(::dlerror());
        ::dlclose(handle);
        return nullptr;
    }
    loaded.insert(module.data(), create);
    return create;
}

} // namespace

std::unique_ptr<Browser> loadEngineBrowser(QByteArrayView module, QWidget* viewParent, QString* error)
{
    QString reason;
    CreateEngineBrowser create = loadModule(module, &reason);
    std::unique_ptr<Browser> browser(create ? create(viewParent, aggregatorHosts()) : nullptr);
    if (!browser && error)
        *error = create ? QStringLiteral("the engine made no browser") : reason;
    return browser;
}

} // namespace trovix
