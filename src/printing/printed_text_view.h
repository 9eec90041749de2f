#pragma once

#include "rules/printed_pages.h"

#include <QAbstractScrollArea>
#include <memory>

// The printed text on screen, its lines broken where the paper breaks
// them: only the lines in sight are laid out and drawn, so a text of any
// length shows at once. Read-only; a selection by mouse (by character,
// Shift+click extends it) or Ctrl+A, copied with Ctrl+C or the context
// menu.
class PrintedTextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PrintedTextView(QWidget *parent = nullptr);

    // The text paged for the paper, shown in the face given from its first
    // line, nothing selected.
    void setPages(std::shared_ptr<const PrintedPages> pages, const QFont &face);
    const std::shared_ptr<const PrintedPages> &pages() const { return pages_; }
    // The whole text, as given.
    QString toPlainText() const { return pages_ ? pages_->text() : QString(); }
    // How wide a printed line is drawn, margins included.
    int lineWidth() const;

    bool hasSelection() const { return selectionEnd() > selectionStart(); }
    // Offsets into the text: the selection is from start to end.
    qsizetype selectionStart() const { return std::min(anchor_, cursor_); }
    qsizetype selectionEnd() const { return std::max(anchor_, cursor_); }
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    int linePitch() const;
    int visibleLines() const;
    void updateScrollBars();
    // Where a line starts on screen, its centring included.
    double lineX(const PrintedPages::Line &line) const;
    // The text offset under a point of the viewport.
    qsizetype offsetAt(const QPoint &at) const;

    std::shared_ptr<const PrintedPages> pages_;
    double advance_ = 1;
    qsizetype anchor_ = 0;
    qsizetype cursor_ = 0;
};
