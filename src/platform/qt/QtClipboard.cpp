// Clipboard through QClipboard.
#include "platform/qt/QtClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "platform/qt/Cp1252.h"

namespace quill {

bool QtClipboard::Put(std::string privateData, std::optional<std::string> shownText)
{
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard)
        return false;
    std::string printable =
        shownText ? std::move(*shownText) : privateData.substr(std::min<std::size_t>(5, privateData.size()));
    std::erase(printable, '\0');
    auto* data = new QMimeData;
    data->setText(FromCp1252(printable));
    data->setData(QString::fromLatin1(kBlockMimeType),
                  QByteArray(privateData.data(), static_cast<qsizetype>(privateData.size())));
    clipboard->setMimeData(data);  // the clipboard owns it
    return true;
}

std::optional<std::string> QtClipboard::PrivateData()
{
    const QMimeData* data = QApplication::clipboard() ? QApplication::clipboard()->mimeData() : nullptr;
    if (!data || !data->hasFormat(QString::fromLatin1(kBlockMimeType)))
        return std::nullopt;
    const QByteArray bytes = data->data(QString::fromLatin1(kBlockMimeType));
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::optional<std::string> QtClipboard::Text()
{
    const QMimeData* data = QApplication::clipboard() ? QApplication::clipboard()->mimeData() : nullptr;
    if (!data || !data->hasText())
        return std::nullopt;
    // Characters code page 1252 cannot hold become "?".
    std::string bytes;
    for (QChar ch : data->text()) {
        if (ch.isLowSurrogate())
            continue;
        const auto byte = CharToCp1252(ch);
        bytes += byte ? static_cast<char>(*byte) : '?';
    }
    return bytes;
}

}  // namespace quill
