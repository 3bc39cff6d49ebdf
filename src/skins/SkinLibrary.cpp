#include "skins/SkinLibrary.h"

#include <QApplication>
#include <QFile>
#include <QStringDecoder>

#include <optional>
#include <utility>

namespace trovix {

namespace {

std::optional<QString> readStyleSheet(const QString& windowsPath)
{
    if (windowsPath.isEmpty())
        return std::nullopt;
    QFile file(ProgramFolder::forFileSystem(windowsPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

} // namespace

SkinLibrary::SkinLibrary(ProgramFolder programFolder) : programFolder_(std::move(programFolder))
{
    // Colours that a skin gives a window then reach its children unless a child has
    // its own (Label4's red), and colours a window sets while a skin is in force
    // survive the next change of skin.
    QCoreApplication::setAttribute(Qt::AA_UseStyleSheetPropagationInWidgetStyles);
}

void SkinLibrary::SkinH_Attach()
{
    SkinH_AttachEx(programFolder_.joined(programfiles::DefaultSkin), QString());
}

void SkinLibrary::SkinH_AttachEx(const QString& path, const QString& password)
{
    Q_UNUSED(password);
    if (const std::optional<QString> styleSheet = readStyleSheet(path))
        qApp->setStyleSheet(*styleSheet);
}

} // namespace trovix
