#include "bytenames.h"

#include <QStringDecoder>

std::optional<QString> utf8Text(QByteArrayView bytes)
{
    // A byte-order mark is part of the name, as every other character.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString escapedBytes(QByteArrayView bytes)
{
    QString text;
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code >= 0x20 && code < 0x7F && code != '\\')
            text += QLatin1Char(byte);
        else
            text += QStringLiteral("\\x") + QString::number(code, 16).toUpper().rightJustified(2, u'0');
    }
    return text;
}
