#include "view/QtText.h"

#include <QList>
#include <QStringView>

#include "core/Windows1252.h"
#include "model/DocumentModel.h"

namespace folivo {

QString QStringFromWindows1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    // Every Windows-1252 character lies in the Basic Multilingual Plane: one UTF-16 unit each.
    for (unsigned char byte : bytes) text.append(QChar(static_cast<char16_t>(UnicodeOfWindows1252(byte))));
    return text;
}

std::string Windows1252FromQString(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (char32_t codePoint : QStringView(text).toUcs4()) {
        const auto byte = Windows1252OfUnicode(codePoint);
        bytes += byte ? static_cast<char>(*byte) : '?';
    }
    return bytes;
}

QFont StyledFont(const QFont& displayFont, uint8_t style)
{
    QFont font = displayFont;
    if (style & StyleFixedPitch) font.setFamily(QStringLiteral("Liberation Mono"));
    else if (style & StyleSerif) font.setFamily(QStringLiteral("Liberation Serif"));
    if (style & StyleBold) font.setBold(true);
    if (style & StyleItalic) font.setItalic(true);
    return font;
}

}  // namespace folivo
