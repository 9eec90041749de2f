#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

#include <cstring>
#include <utility>

class QIODevice;

// XML read straight off its bytes, for the large parts of a spreadsheet
// (the worksheet and its shared texts): QXmlStreamReader reads some 20 MB a
// second, and a sheet of 100,000 rows of 15 cells is over 50 MB of XML.
// It gives the tokens those parts are made of (the start and end of
// elements, text) in the manner of QXmlStreamReader, reading its device a
// piece at a time. Comments, processing instructions and CDATA are
// understood; a document type is not (a spreadsheet never has one). The
// text is taken as UTF-8. Anything malformed, or a document cut short,
// throws XmlScanner::Broken; nothing is read out of bounds whatever the
// bytes.
class XmlScanner {
public:
    struct Broken {};
    enum Token { Start, End, Text, Done };

    explicit XmlScanner(QIODevice *in) : in_(in) {}

    Token next();
    // The local name of the element just started or ended ("c" for "x:c").
    QByteArrayView name() const { return name_; }
    // Whether that name is this one.
    template <qsizetype N> bool named(const char (&name)[N]) const { return equal(name_, name); }
    // An attribute of the element just started, as written; empty if absent.
    QByteArrayView attribute(QByteArrayView name) const;

    // After a start: reads on to the next element inside it (true) or to its
    // end (false), passing over text.
    bool nextChild();
    // After a start: its text, up to its end, leaving out inner elements.
    QString elementText();
    // After a start: reads on past its end.
    void skipElement();

    // Whether bytes are a literal (inline: a sheet compares millions).
    template <qsizetype N> static bool equal(QByteArrayView bytes, const char (&literal)[N])
    {
        return bytes.size() == N - 1 && std::memcmp(bytes.data(), literal, N - 1) == 0;
    }

private:
    bool more();
    // Where a byte or a sequence comes, counted from pos_, reading on as
    // needed; -1 when the part ends first.
    qsizetype find(char c, qsizetype from);
    qsizetype find(QByteArrayView s, qsizetype from);
    bool ahead(QByteArrayView s);
    QByteArrayView at(qsizetype from, qsizetype size) const
    {
        return QByteArrayView(buffer_.constData() + pos_ + from, size);
    }
    QString decoded(QByteArrayView raw, bool cdata) const;

    QIODevice *in_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool end_ = false;
    int depth_ = 0;
    bool rooted_ = false;
    bool closePending_ = false;
    QByteArrayView name_;
    QByteArrayView attributes_;
    mutable bool attributesRead_ = false;
    mutable QVarLengthArray<std::pair<QByteArrayView, QByteArrayView>, 8> pairs_;
    QByteArrayView text_;
    bool cdata_ = false;
};
