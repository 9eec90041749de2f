#include "print_preview.h"

#include <QAbstractScrollArea>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace {

// Between the pages and around them, in screen pixels.
constexpr int kGap = 12;

} // namespace

// The pages, as wide as the viewport allows, scrolled by pixels; only the
// pages in sight are drawn.
class PreviewPages : public QAbstractScrollArea {
public:
    PreviewPages(QWidget *parent) : QAbstractScrollArea(parent)
    {
        viewport()->setBackgroundRole(QPalette::Dark);
        viewport()->setAutoFillBackground(true);
        setFocusPolicy(Qt::StrongFocus);
    }

    void setPages(std::shared_ptr<const PrintedPages> pages, const PrintSurface::PageGeometry &geometry)
    {
        pages_ = std::move(pages);
        geometry_ = std::make_unique<PrintSurface::PageGeometry>(geometry);
        updateScrollBars();
        viewport()->update();
    }
    const std::shared_ptr<const PrintedPages> &pages() const { return pages_; }
    int pageCount() const { return pages_ ? pages_->pageCount() : 0; }
    int drawn = 0;

    // The step from a page's top to the next one's, and the scale.
    double scale() const
    {
        const double width = std::max(40, viewport()->width() - 2 * kGap);
        return geometry_ ? width / geometry_->paper().width() : 1;
    }
    int pageHeight() const { return geometry_ ? int(std::round(geometry_->paper().height() * scale())) : 0; }
    int step() const { return pageHeight() + kGap; }

    int pageAtTop() const { return std::clamp(verticalScrollBar()->value() / std::max(1, step()), 0, pageCount() - 1); }
    void scrollToPage(int index) { verticalScrollBar()->setValue(index * step()); }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        const int page = pageAtTop();
        QAbstractScrollArea::resizeEvent(event);
        updateScrollBars();
        scrollToPage(page);
    }
    void paintEvent(QPaintEvent *) override
    {
        if (!pages_ || !geometry_)
            return;
        QPainter painter(viewport());
        const double s = scale();
        const int width = int(std::round(geometry_->paper().width() * s));
        const int left = std::max(kGap, (viewport()->width() - width) / 2);
        const int top = verticalScrollBar()->value();
        for (int index = std::max(0, (top - kGap) / step()); index < pageCount(); ++index) {
            const int y = kGap + index * step() - top;
            if (y >= viewport()->height())
                break;
            const QRect page(left, y, width, pageHeight());
            painter.fillRect(page.translated(3, 3), palette().shadow());
            painter.fillRect(page, Qt::white);
            painter.save();
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.translate(page.topLeft());
            painter.scale(s, s);
            geometry_->draw(painter, *pages_, index);
            painter.restore();
            ++drawn;
        }
    }

private:
    void updateScrollBars()
    {
        const qint64 whole = qint64(pageCount()) * step() + kGap;
        verticalScrollBar()->setRange(0, int(std::clamp<qint64>(whole - viewport()->height(), 0, INT_MAX)));
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setSingleStep(std::max(1, step() / 20));
    }

    std::shared_ptr<const PrintedPages> pages_;
    std::unique_ptr<PrintSurface::PageGeometry> geometry_;
};

PrintPreview::PrintPreview(QPrinter &printer, std::shared_ptr<const PrintedPages> pages, double points,
                           QWidget *parent)
    : QDialog(parent), printer_(printer), points_(points)
{
    setObjectName(QStringLiteral("dlgVistaPrevia"));
    view_ = new PreviewPages(this);
    view_->setObjectName(QStringLiteral("vistaPaginas"));
    page_ = new QSpinBox(this);
    page_->setObjectName(QStringLiteral("txtPagina"));
    count_ = new QLabel(this);
    auto *previous = new QPushButton(QStringLiteral("◀"), this);
    auto *next = new QPushButton(QStringLiteral("▶"), this);
    previous->setToolTip(QStringLiteral("Página anterior"));
    next->setToolTip(QStringLiteral("Página siguiente"));
    cmdPagina = new QPushButton(QStringLiteral("&Página…"), this);
    cmdPagina->setToolTip(QStringLiteral("El papel en que se imprime"));
    cmdImprimir = new QPushButton(QStringLiteral("&Imprimir…"), this);
    cmdCerrar = new QPushButton(QStringLiteral("&Cerrar"), this);
    for (QPushButton *b : {previous, next, cmdPagina, cmdImprimir, cmdCerrar})
        b->setAutoDefault(false);

    auto *bar = new QHBoxLayout;
    bar->addWidget(previous);
    bar->addWidget(new QLabel(QStringLiteral("Página"), this));
    bar->addWidget(page_);
    bar->addWidget(count_);
    bar->addWidget(next);
    bar->addStretch();
    bar->addWidget(cmdPagina);
    bar->addWidget(cmdImprimir);
    bar->addWidget(cmdCerrar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);

    connect(previous, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(next, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(page_, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != currentPage())
            view_->scrollToPage(page - 1);
    });
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        const QSignalBlocker quiet(page_);
        page_->setValue(currentPage());
    });
    connect(cmdCerrar, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdImprimir, &QPushButton::clicked, this, [this] {
        if (print)
            print();
        refresh();
    });
    connect(cmdPagina, &QPushButton::clicked, this, [this] {
        QPageSetupDialog setup(&printer_, this);
        if (setup.exec() == QDialog::Accepted)
            refresh();
    });

    view_->setPages(std::move(pages), PrintSurface::PageGeometry(printer_, points_));
    refresh();
    view_->setFocus();
}

PrintPreview::~PrintPreview() = default;

int PrintPreview::pageCount() const { return view_->pageCount(); }

int PrintPreview::currentPage() const { return view_->pageAtTop() + 1; }

void PrintPreview::showPage(int page) { view_->scrollToPage(std::clamp(page, 1, pageCount()) - 1); }

int PrintPreview::pagesDrawn() const { return view_->drawn; }

void PrintPreview::refresh()
{
    // Paged again for the paper if it changed (the text shared).
    const PrintSurface::PageGeometry geometry(printer_, points_);
    const std::shared_ptr<const PrintedPages> &shown = view_->pages();
    if (shown->columns() != geometry.columns() || shown->linesPerPage() != geometry.linesPerPage())
        view_->setPages(std::make_shared<const PrintedPages>(geometry.paged(*shown)), geometry);
    else
        view_->setPages(shown, geometry);
    const QSignalBlocker quiet(page_);
    page_->setRange(1, std::max(1, pageCount()));
    page_->setValue(currentPage());
    count_->setText(QStringLiteral("de %1").arg(pageCount()));
}
