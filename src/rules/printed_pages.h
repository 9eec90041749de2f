#pragma once

#include "rules/request_report.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <vector>

// A plain text as it prints in a fixed-pitch face: its lines (a line feed
// ends each) broken where the printed line ends, and grouped into pages of
// so many lines. Only where each page starts is kept; the lines of a page
// are found again when asked for, so a text of any length is paged in
// little more memory than the text itself.
//
// A line longer than the columns a printed line holds breaks as the text
// layout of the window's document did: after the last word that fits (at a
// Unicode line-break opportunity: after blanks, a hyphen, a slash), the
// blanks before the break hanging past the line's end; a word longer than a
// whole line is cut where the line ends. Each character takes one column.
class PrintedPages {
public:
    struct Line {
        qsizetype start = 0;  // offset of its first character in the text
        qsizetype length = 0; // its characters, without the line feed
        int width = 0;        // the columns it takes (not the blanks hanging at a break)
        bool centred = false;
        bool operator==(const Line &) const = default;
    };

    // An empty text: one empty page.
    PrintedPages() : PrintedPages(QString(), {}, 1, 1) {}
    // The lines touched by a centred range (character offsets into the
    // text, as RequestReport gives them) are centred, every piece of them.
    PrintedPages(const QString &text, const QList<RequestReport::Range> &centred, int columns, int linesPerPage);

    const QString &text() const { return text_; }
    int columns() const { return columns_; }
    int linesPerPage() const { return linesPerPage_; }
    // The printed lines and the pages (at least one, empty for no text).
    qint64 lineCount() const { return lineCount_; }
    int pageCount() const { return int(pageStarts_.size()); }

    // The lines of a page, top to bottom (the last page may hold fewer).
    QList<Line> page(int index) const;
    // count printed lines from the first one (fewer past the end).
    QList<Line> lines(qint64 first, int count) const;
    QStringView textOf(const Line &line) const { return QStringView(text_).mid(line.start, line.length); }

    // The same text paged for other lines and pages (the text shared).
    PrintedPages withLines(int columns, int linesPerPage) const;
    // The part of the text from one offset to another, paged the same way
    // (its lines centred where they were).
    PrintedPages part(qsizetype from, qsizetype to) const;

private:
    struct Span {
        qsizetype first;
        qsizetype last;
    };
    static PrintedPages paged(const QString &text, std::vector<Span> centred, int columns, int linesPerPage);
    void index();
    // The printed line that starts at the offset, and where the next starts.
    Line lineAt(qsizetype offset, qsizetype *next) const;
    bool centredAt(qsizetype offset) const;

    QString text_;
    int columns_;
    int linesPerPage_;
    // Centred paragraphs: from the first character of each run of them to
    // the line feed that ends it, in order, apart.
    std::vector<Span> centred_;
    std::vector<qsizetype> pageStarts_;
    qint64 lineCount_ = 0;
};
