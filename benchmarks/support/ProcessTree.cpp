#include "ProcessTree.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>

namespace bench {

QList<QByteArray> statFieldsAfterName(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.readAll();
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ');
}

QList<pid_t> processTree(pid_t root)
{
    QHash<pid_t, QList<pid_t>> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        if (isPid)
            children[pid_t(statFieldsAfterName(pid).value(1).toInt())].append(pid);
    }
    QList<pid_t> tree;
    QList<pid_t> pending{root};
    while (!pending.isEmpty()) {
        const pid_t pid = pending.takeLast();
        pending += children.value(pid);
        tree.append(pid);
    }
    return tree;
}

} // namespace bench
