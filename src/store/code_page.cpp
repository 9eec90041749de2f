#include "code_page.h"

#include <QStringDecoder>

namespace {

bool isMarkOf437(unsigned char m)
{
    switch (m) {
    case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11:
    case 0x15: case 0x18: case 0x19: case 0x1B:
        return true;
    default:
        return false;
    }
}

bool isMarkOf850(unsigned char m)
{
    switch (m) {
    case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14:
    case 0x16: case 0x1A: case 0x1D: case 0x25: case 0x37:
        return true;
    default:
        return false;
    }
}

bool isMarkOf1252(unsigned char m) { return m == 0x00 || m == 0x03 || m == 0x57 || m == 0x58 || m == 0x59; }

} // namespace

CodePage::CodePage(int number, unsigned char mark, const char *codecName)
    : number_(number), mark_(mark)
{
    QStringDecoder decoder(codecName);
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        QString s = decoder.isValid() ? decoder.decode(QByteArrayView(&byte, 1)) : QString();
        // Bytes the code page leaves undefined (or a missing converter) map
        // to the same code point, as Latin-1 would read them.
        char16_t u = (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter) ? s.at(0).unicode() : char16_t(b);
        toUnicode_[size_t(b)] = u;
    }
    for (int b = 255; b >= 1; --b)
        fromUnicode_[toUnicode_[size_t(b)]] = static_cast<unsigned char>(b);
}

const CodePage &CodePage::windows1252()
{
    static const CodePage cp(1252, 0x03, "windows-1252");
    return cp;
}

const CodePage *CodePage::forMark(unsigned char mark)
{
    static const CodePage cp850(850, 0x02, "IBM850");
    static const CodePage cp437(437, 0x01, "IBM437");
    if (isMarkOf1252(mark))
        return &windows1252();
    if (isMarkOf850(mark))
        return &cp850;
    if (isMarkOf437(mark))
        return &cp437;
    return nullptr;
}

QString CodePage::decode(const char *bytes, int length) const
{
    QString s(length, Qt::Uninitialized);
    QChar *d = s.data();
    for (int i = 0; i < length; ++i)
        d[i] = QChar(toUnicode_[static_cast<unsigned char>(bytes[i])]);
    return s;
}

bool CodePage::encode(QStringView text, QByteArray *out) const
{
    out->resize(text.size());
    char *d = out->data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const unsigned char b = fromUnicode_[u];
        if (b == 0)
            return false;
        d[i] = char(b);
    }
    return true;
}

QString CodePage::decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = windows1252().decode(bytes.constData(), int(bytes.size()));
    if (text.startsWith(QChar::ByteOrderMark))
        text.remove(0, 1);
    return text;
}
