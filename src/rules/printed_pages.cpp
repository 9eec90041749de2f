#include "printed_pages.h"

#include <QTextBoundaryFinder>
#include <QVarLengthArray>
#include <algorithm>

namespace {

// Characters read around a long line's last column so that its break
// opportunities are those of the whole line.
constexpr qsizetype kContext = 16;

// A blank the layout lets hang at a line's end and break after (not a
// no-break space).
bool blank(QChar c) { return c != u'\n' && c.isSpace() && c.decompositionTag() != QChar::NoBreak; }

} // namespace

PrintedPages::PrintedPages(const QString &text, const QList<RequestReport::Range> &centred, int columns,
                           int linesPerPage)
    : text_(text), columns_(std::max(1, columns)), linesPerPage_(std::max(1, linesPerPage))
{
    // Each range widened to the whole paragraphs it touches, as a text
    // document centres them.
    const QStringView all(text_);
    for (const RequestReport::Range &r : centred) {
        const qsizetype start = std::clamp<qsizetype>(r.start, 0, text_.size());
        const qsizetype end = std::clamp<qsizetype>(qsizetype(r.start) + r.length - 1, 0, text_.size());
        if (r.length <= 0 || start >= text_.size())
            continue;
        const qsizetype first = start == 0 ? 0 : all.lastIndexOf(u'\n', start - 1) + 1;
        const qsizetype feed = all.indexOf(u'\n', end);
        centred_.push_back({first, feed < 0 ? text_.size() : feed});
    }
    std::sort(centred_.begin(), centred_.end(), [](const Span &a, const Span &b) { return a.first < b.first; });
    std::vector<Span> apart;
    for (const Span &s : centred_) {
        if (!apart.empty() && s.first <= apart.back().last + 1)
            apart.back().last = std::max(apart.back().last, s.last);
        else
            apart.push_back(s);
    }
    centred_ = std::move(apart);
    index();
}

PrintedPages PrintedPages::paged(const QString &text, std::vector<Span> centred, int columns, int linesPerPage)
{
    PrintedPages out;
    out.text_ = text;
    out.columns_ = std::max(1, columns);
    out.linesPerPage_ = std::max(1, linesPerPage);
    out.centred_ = std::move(centred);
    out.index();
    return out;
}

void PrintedPages::index()
{
    pageStarts_.clear();
    lineCount_ = 0;
    qsizetype offset = 0;
    while (offset < text_.size()) {
        if (lineCount_ % linesPerPage_ == 0)
            pageStarts_.push_back(offset);
        lineAt(offset, &offset);
        ++lineCount_;
    }
    if (pageStarts_.empty())
        pageStarts_.push_back(0);
}

bool PrintedPages::centredAt(qsizetype offset) const
{
    auto after = std::upper_bound(centred_.begin(), centred_.end(), offset,
                                  [](qsizetype o, const Span &s) { return o < s.first; });
    return after != centred_.begin() && offset <= std::prev(after)->last;
}

PrintedPages::Line PrintedPages::lineAt(qsizetype offset, qsizetype *next) const
{
    const QChar *s = text_.constData();
    const qsizetype size = text_.size();
    Line line{offset, 0, 0, centredAt(offset)};

    // Most lines end within the columns a printed line holds.
    const qsizetype reach = std::min(size, offset + columns_ + 1);
    const qsizetype feed = QStringView(s + offset, reach - offset).indexOf(u'\n');
    if (feed >= 0 || size - offset <= columns_) {
        line.length = feed >= 0 ? feed : size - offset;
        line.width = int(line.length);
        *next = offset + line.length + 1;
        return line;
    }

    // A longer one: its break opportunities around the last column, the
    // blanks that follow it included (they may hang past the line's end).
    qsizetype end = offset + columns_;
    while (end < size && blank(s[end]))
        ++end;
    qsizetype windowEnd = end;
    while (windowEnd < size && s[windowEnd] != u'\n' && windowEnd < end + kContext)
        ++windowEnd;
    // Where the paragraph ends, if within the window.
    const qsizetype paragraphEnd = windowEnd == size || s[windowEnd] == u'\n' ? windowEnd : -1;
    qsizetype from = offset;
    while (from > 0 && s[from - 1] != u'\n' && from > offset - kContext)
        --from;

    const auto visible = [&](qsizetype breakAt) {
        qsizetype last = breakAt;
        while (last > offset && blank(s[last - 1]))
            --last;
        return last - offset;
    };
    // A break may follow a run of blanks, or come where the Unicode line
    // breaking rules allow one (after a hyphen, a slash).
    QVarLengthArray<bool, 256> opportunity(windowEnd - offset + 1, false);
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, QStringView(s + from, windowEnd - from));
    breaks.setPosition(offset - from);
    for (qsizetype at = breaks.toNextBoundary(); at > 0; at = breaks.toNextBoundary())
        opportunity[from + at - offset] = true;
    qsizetype best = -1;
    for (qsizetype breakAt = offset + 1; breakAt <= windowEnd; ++breakAt) {
        // The window's end is one only where the paragraph ends.
        if (breakAt == windowEnd && breakAt != paragraphEnd)
            break;
        const bool afterBlanks = blank(s[breakAt - 1]) && (breakAt == size || !blank(s[breakAt]));
        if (!afterBlanks && !opportunity[breakAt - offset] && breakAt != paragraphEnd)
            continue;
        if (visible(breakAt) > columns_)
            break;
        best = breakAt;
    }
    // Blanks alone do not fill a line: the word after them is cut instead,
    // unless the paragraph ends with them.
    if (best >= 0 && (visible(best) > 0 || best == paragraphEnd)) {
        line.length = best - offset;
        // The blanks that end a paragraph count where they fit.
        line.width = int(best == paragraphEnd && line.length <= columns_ ? line.length : visible(best));
        *next = best == paragraphEnd ? best + 1 : best;
        return line;
    }
    // A word longer than the line (after the blanks, if any, that begin
    // it): cut where the line ends, with at least one character of it, a
    // surrogate pair kept whole.
    qsizetype word = offset;
    while (blank(s[word]))
        ++word;
    line.length = std::max<qsizetype>(columns_, word - offset + 1);
    if (line.length > 1 && s[offset + line.length - 1].isHighSurrogate())
        --line.length;
    line.width = int(line.length);
    *next = offset + line.length;
    return line;
}

QList<PrintedPages::Line> PrintedPages::lines(qint64 first, int count) const
{
    QList<Line> out;
    if (first < 0 || first >= lineCount_ || count <= 0)
        return out;
    const qint64 page = first / linesPerPage_;
    qsizetype offset = pageStarts_[size_t(page)];
    qsizetype next = 0;
    for (qint64 n = page * linesPerPage_; n < first; ++n, offset = next)
        lineAt(offset, &next);
    out.reserve(int(std::min<qint64>(count, lineCount_ - first)));
    for (qint64 n = first; n < lineCount_ && n < first + count; ++n, offset = next)
        out.append(lineAt(offset, &next));
    return out;
}

QList<PrintedPages::Line> PrintedPages::page(int index) const
{
    return lines(qint64(index) * linesPerPage_, linesPerPage_);
}

PrintedPages PrintedPages::withLines(int columns, int linesPerPage) const
{
    return paged(text_, centred_, columns, linesPerPage);
}

PrintedPages PrintedPages::part(qsizetype from, qsizetype to) const
{
    from = std::clamp<qsizetype>(from, 0, text_.size());
    to = std::clamp<qsizetype>(to, from, text_.size());
    std::vector<Span> spans;
    for (const Span &s : centred_)
        if (s.last >= from && s.first < to)
            spans.push_back({std::max(s.first, from) - from, std::min(s.last, to) - from});
    return paged(text_.mid(from, to - from), std::move(spans), columns_, linesPerPage_);
}
