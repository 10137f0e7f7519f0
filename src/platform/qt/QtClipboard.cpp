// Clipboard through QClipboard.
#include "platform/qt/QtClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

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
    data->setText(QString::fromUtf8(printable.data(), static_cast<qsizetype>(printable.size())));  // ill-formed: U+FFFD
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
    const QByteArray text = data->text().toUtf8();
    return std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

void QtClipboard::PutPrimary(const std::string& text)
{
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard && clipboard->supportsSelection())
        clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QClipboard::Selection);
}

std::optional<std::string> QtClipboard::Primary()
{
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard || !clipboard->supportsSelection())
        return std::nullopt;
    const QByteArray text = clipboard->text(QClipboard::Selection).toUtf8();
    return std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

}  // namespace quill
