#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>

// The single-byte character set of a table file, chosen by the code-page
// mark in byte 29 of its header. The tables are built once from Qt's
// converters, so decoding a field is a plain table look-up.
class CodePage {
public:
    // The code page a header mark stands for: Windows-1252 for 0 and for the
    // marks of 1252, 850 and 437 for theirs. Returns nullptr for any other mark.
    static const CodePage *forMark(unsigned char mark);
    static const CodePage &windows1252();
    // A text file of ours or of another program: UTF-8 when its bytes are
    // valid UTF-8 (a byte-order mark dropped), else Windows-1252.
    static QString decodeText(const QByteArray &bytes);

    int number() const { return number_; }
    unsigned char mark() const { return mark_; }

    QString decode(const char *bytes, int length) const;
    // Encodes text byte for byte; false when a character has no place in
    // this code page (nothing is substituted).
    bool encode(QStringView text, QByteArray *out) const;

private:
    CodePage(int number, unsigned char mark, const char *codecName);

    int number_;
    unsigned char mark_;
    std::array<char16_t, 256> toUnicode_{};
    std::array<unsigned char, 65536> fromUnicode_{}; // 0 = not representable (except U+0000)
};
