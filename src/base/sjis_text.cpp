#include "base/sjis_text.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace sjis {

namespace {
// ICU's name for Windows code page 932 (Shift_JIS with the vendor extensions).
constexpr auto kCodec = "windows-31j";

} // namespace

Encoder::Encoder()
{
    reset();
}

void Encoder::reset()
{
    // Built in place: Qt's ICU converter keeps pointing at the object it was
    // built in, so a moved converter no longer reports unmappable characters.
    encoder_.emplace(kCodec, QStringConverter::Flag::Stateless);
    if (!encoder_->isValid())
        encoder_.emplace("Shift_JIS", QStringConverter::Flag::Stateless);
}

std::optional<QByteArray> Encoder::encode(const QString& text)
{
    // Printable ASCII is the same in Shift_JIS.
    if (std::all_of(text.cbegin(), text.cend(),
                    [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; }))
        return text.toLatin1();
    QByteArray out = encoder_->encode(text);
    if (encoder_->hasError()) {
        reset(); // the error stays set otherwise
        return std::nullopt;
    }
    // ICU substitutes 0x1A for a character it cannot map.
    if (out.contains('\x1a') && !text.contains(QChar(0x1a)))
        return std::nullopt;
    return out;
}

std::optional<QByteArray> encode(const QString& text)
{
    return Encoder().encode(text);
}

std::optional<QString> decode(const QByteArray& bytes)
{
    QStringDecoder decoder(kCodec, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        decoder = QStringDecoder("Shift_JIS", QStringConverter::Flag::Stateless);
    QString out = decoder.decode(bytes);
    if (decoder.hasError() || out.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    return out;
}

} // namespace sjis
