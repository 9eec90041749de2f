#include "xml_scanner.h"

#include <QIODevice>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

bool XmlScanner::more()
{
    static constexpr qsizetype kPiece = 1 << 16;
    if (end_)
        return false;
    if (pos_ > 0) {
        buffer_.remove(0, pos_);
        pos_ = 0;
    }
    const qsizetype had = buffer_.size();
    buffer_.resize(had + kPiece);
    const qint64 got = in_->read(buffer_.data() + had, kPiece);
    buffer_.resize(had + qMax<qint64>(got, 0));
    if (got < 0)
        throw Broken();
    end_ = got == 0;
    return !end_;
}

qsizetype XmlScanner::find(char c, qsizetype from)
{
    for (;;) {
        const qsizetype i = buffer_.indexOf(c, pos_ + from);
        if (i >= 0)
            return i - pos_;
        from = buffer_.size() - pos_;
        if (!more())
            return -1;
    }
}

qsizetype XmlScanner::find(QByteArrayView s, qsizetype from)
{
    for (;;) {
        const qsizetype i = buffer_.indexOf(s, pos_ + from);
        if (i >= 0)
            return i - pos_;
        from = qMax(from, buffer_.size() - pos_ - s.size() + 1);
        if (!more())
            return -1;
    }
}

bool XmlScanner::ahead(QByteArrayView s)
{
    while (buffer_.size() - pos_ < s.size())
        if (!more())
            return false;
    return at(0, s.size()) == s;
}

XmlScanner::Token XmlScanner::next()
{
    if (closePending_) {
        closePending_ = false;
        --depth_;
        return End;
    }
    for (;;) {
        if (pos_ >= buffer_.size() && !more()) {
            if (depth_ != 0 || !rooted_)
                throw Broken();
            return Done;
        }
        if (buffer_.at(pos_) != '<') {
            const qsizetype lt = find('<', 0);
            if (lt < 0 && depth_ != 0)
                throw Broken();
            const qsizetype size = lt < 0 ? buffer_.size() - pos_ : lt;
            text_ = at(0, size);
            cdata_ = false;
            pos_ += size;
            if (depth_ == 0)
                continue; // blanks (or a byte order mark) around the root
            return Text;
        }
        while (buffer_.size() - pos_ < 2)
            if (!more())
                throw Broken();
        const char second = buffer_.at(pos_ + 1);
        if (second == '?') {
            const qsizetype e = find("?>", 2);
            if (e < 0)
                throw Broken();
            pos_ += e + 2;
            continue;
        }
        if (second == '!') {
            if (ahead("<!--")) {
                const qsizetype e = find("-->", 4);
                if (e < 0)
                    throw Broken();
                pos_ += e + 3;
                continue;
            }
            const qsizetype e = ahead("<![CDATA[") ? find("]]>", 9) : -1;
            if (e < 0 || depth_ == 0)
                throw Broken(); // a document type, or a cut section
            text_ = at(9, e - 9);
            cdata_ = true;
            pos_ += e + 3;
            return Text;
        }
        // A tag, up to the first ">" outside quotes.
        qsizetype e = 1;
        char quote = 0;
        for (const char *data = buffer_.constData();; ++e) {
            if (pos_ + e >= buffer_.size()) {
                if (!more())
                    throw Broken();
                data = buffer_.constData();
            }
            const char c = data[pos_ + e];
            if (quote)
                quote = c == quote ? 0 : quote;
            else if (c == '"' || c == '\'')
                quote = c;
            else if (c == '>')
                break;
        }
        QByteArrayView tag = at(1, e - 1);
        pos_ += e + 1;
        const bool closing = tag.startsWith('/');
        const bool empty = !closing && tag.endsWith('/');
        tag = tag.sliced(closing ? 1 : 0, tag.size() - (closing || empty ? 1 : 0));
        qsizetype n = 0;
        qsizetype local = 0;
        for (; n < tag.size() && !isBlank(tag[n]); ++n)
            if (tag[n] == ':')
                local = n + 1;
        name_ = tag.sliced(local, n - local);
        if (name_.isEmpty())
            throw Broken();
        if (closing) {
            if (depth_ == 0)
                throw Broken();
            --depth_;
            return End;
        }
        if (depth_ == 0 && rooted_)
            throw Broken(); // a second root
        attributes_ = tag.sliced(n);
        attributesRead_ = false;
        rooted_ = true;
        ++depth_;
        closePending_ = empty;
        return Start;
    }
}

QByteArrayView XmlScanner::attribute(QByteArrayView name) const
{
    // The element's attributes are read once, at the first question.
    if (!attributesRead_) {
        attributesRead_ = true;
        pairs_.clear();
        const QByteArrayView a = attributes_;
        const qsizetype size = a.size();
        qsizetype i = 0;
        for (;;) {
            while (i < size && isBlank(a[i]))
                ++i;
            const qsizetype start = i;
            while (i < size && a[i] != '=' && !isBlank(a[i]))
                ++i;
            const QByteArrayView key = a.sliced(start, i - start);
            while (i < size && (a[i] == '=' || isBlank(a[i])))
                ++i;
            if (i >= size || (a[i] != '"' && a[i] != '\''))
                break;
            const char quote = a[i];
            const qsizetype value = ++i;
            while (i < size && a[i] != quote)
                ++i;
            if (i >= size)
                break;
            pairs_.append({key, a.sliced(value, i - value)});
            ++i;
        }
    }
    for (const auto &[key, value] : pairs_)
        if (key.size() == name.size() && std::memcmp(key.data(), name.data(), size_t(key.size())) == 0)
            return value;
    return {};
}

// Text as XML means it: line ends read as "\n", the five named entities
// and numbered characters replaced.
QString XmlScanner::decoded(QByteArrayView raw, bool cdata) const
{
    if (!raw.contains('\r') && (cdata || !raw.contains('&')))
        return QString::fromUtf8(raw);
    QString out;
    out.reserve(raw.size());
    qsizetype from = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c != '\r' && (cdata || c != '&'))
            continue;
        out += QString::fromUtf8(raw.sliced(from, i - from));
        if (c == '\r') {
            out += u'\n';
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            from = i + 1;
            continue;
        }
        const qsizetype semicolon = raw.indexOf(';', i);
        if (semicolon < 0)
            throw Broken();
        const QByteArrayView entity = raw.sliced(i + 1, semicolon - i - 1);
        if (entity == "lt")
            out += u'<';
        else if (entity == "gt")
            out += u'>';
        else if (entity == "amp")
            out += u'&';
        else if (entity == "quot")
            out += u'"';
        else if (entity == "apos")
            out += u'\'';
        else if (entity.startsWith('#')) {
            bool ok = false;
            const bool hex = entity.startsWith("#x");
            const uint code = entity.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
                throw Broken();
            const char32_t character = code;
            out += QString::fromUcs4(&character, 1);
        } else {
            throw Broken();
        }
        i = semicolon;
        from = i + 1;
    }
    return out + QString::fromUtf8(raw.sliced(from));
}

bool XmlScanner::nextChild()
{
    for (;;) {
        switch (next()) {
        case Start:
            return true;
        case End:
            return false;
        case Text:
            break;
        case Done:
            throw Broken();
        }
    }
}

QString XmlScanner::elementText()
{
    QString text;
    for (;;) {
        switch (next()) {
        case Text:
            text += decoded(text_, cdata_);
            break;
        case Start:
            skipElement();
            break;
        case End:
            return text;
        case Done:
            throw Broken();
        }
    }
}

void XmlScanner::skipElement()
{
    for (int depth = 1; depth > 0;) {
        switch (next()) {
        case Start:
            ++depth;
            break;
        case End:
            --depth;
            break;
        case Text:
            break;
        case Done:
            throw Broken();
        }
    }
}
