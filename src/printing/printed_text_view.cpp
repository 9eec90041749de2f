#include "printed_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace {

// Around the text, as a text box leaves it.
constexpr int kMargin = 4;

} // namespace

PrintedTextView::PrintedTextView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setPages(std::make_shared<PrintedPages>(), font());
}

void PrintedTextView::setPages(std::shared_ptr<const PrintedPages> pages, const QFont &face)
{
    pages_ = std::move(pages);
    setFont(face);
    advance_ = std::max(1.0, QFontMetricsF(face).horizontalAdvance(u'M'));
    anchor_ = cursor_ = 0;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

int PrintedTextView::linePitch() const { return std::max(1, int(std::ceil(QFontMetricsF(font()).height()))); }

int PrintedTextView::visibleLines() const { return std::max(1, (viewport()->height() - kMargin) / linePitch()); }

int PrintedTextView::lineWidth() const { return int(std::ceil(pages_->columns() * advance_)) + 2 * kMargin; }

void PrintedTextView::updateScrollBars()
{
    const qint64 lines = pages_->lineCount();
    verticalScrollBar()->setRange(0, int(std::max<qint64>(0, lines - visibleLines())));
    verticalScrollBar()->setPageStep(visibleLines());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, lineWidth() - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(int(std::ceil(advance_)));
}

void PrintedTextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

double PrintedTextView::lineX(const PrintedPages::Line &line) const
{
    const double room = (pages_->columns() - line.width) * advance_;
    return kMargin - horizontalScrollBar()->value() + (line.centred ? std::max(0.0, room / 2) : 0);
}

void PrintedTextView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QFontMetricsF metrics(font());
    const int pitch = linePitch();
    const qsizetype from = selectionStart(), to = selectionEnd();
    double top = kMargin;
    for (const PrintedPages::Line &line : pages_->lines(verticalScrollBar()->value(), visibleLines() + 1)) {
        const double x = lineX(line);
        // The selected part of the line, its line feed included.
        const qsizetype first = std::max(from, line.start);
        const qsizetype last = std::min(to, line.start + line.length + 1);
        if (last > first) {
            const double left = x + (first - line.start) * advance_;
            painter.fillRect(QRectF(left, top, (last - first) * advance_, pitch), palette().highlight());
        }
        const QString text = pages_->textOf(line).toString();
        if (last > first) {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(QPointF(x, top + metrics.ascent()), text.left(first - line.start));
            painter.setPen(palette().color(QPalette::HighlightedText));
            painter.drawText(QPointF(x + (first - line.start) * advance_, top + metrics.ascent()),
                             text.mid(first - line.start, last - first));
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(QPointF(x + (last - line.start) * advance_, top + metrics.ascent()),
                             text.mid(last - line.start));
        } else {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(QPointF(x, top + metrics.ascent()), text);
        }
        top += pitch;
    }
}

qsizetype PrintedTextView::offsetAt(const QPoint &at) const
{
    const qint64 lines = pages_->lineCount();
    if (lines == 0)
        return 0;
    const int row = int(std::floor(double(at.y() - kMargin) / linePitch()));
    const qint64 n = std::clamp<qint64>(verticalScrollBar()->value() + row, 0, lines - 1);
    const PrintedPages::Line line = pages_->lines(n, 1).constFirst();
    const qsizetype column = std::lround((at.x() - lineX(line)) / advance_);
    return line.start + std::clamp<qsizetype>(column, 0, line.length);
}

void PrintedTextView::selectAll()
{
    anchor_ = 0;
    cursor_ = pages_->text().size();
    viewport()->update();
}

void PrintedTextView::copy() const
{
    if (hasSelection())
        QApplication::clipboard()->setText(pages_->text().mid(selectionStart(), selectionEnd() - selectionStart()));
}

void PrintedTextView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::SelectAll)
        selectAll();
    else if (event == QKeySequence::Copy)
        copy();
    else if (event->key() == Qt::Key_Home && event->modifiers() & Qt::ControlModifier)
        verticalScrollBar()->setValue(0);
    else if (event->key() == Qt::Key_End && event->modifiers() & Qt::ControlModifier)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void PrintedTextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    cursor_ = offsetAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = cursor_;
    viewport()->update();
}

void PrintedTextView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    // Dragged past the top or the bottom, the text follows a line at a time.
    const QPoint at = event->position().toPoint();
    if (at.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    cursor_ = offsetAt(at);
    viewport()->update();
}

void PrintedTextView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copying = menu.addAction(QStringLiteral("&Copiar"), this, &PrintedTextView::copy);
    copying->setShortcut(QKeySequence::Copy);
    copying->setEnabled(hasSelection());
    menu.addAction(QStringLiteral("Seleccionar &todo"), this, &PrintedTextView::selectAll)
        ->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}
