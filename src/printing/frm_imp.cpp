#include "frm_imp.h"

#include "platform/file_choice.h"
#include "platform/message_box.h"
#include "platform/work_progress.h"
#include "print_preview.h"
#include "print_surface.h"
#include "rules/window_texts.h"

#include <QDir>
#include <algorithm>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QSettings>

namespace {

const QString kPaperKey = QStringLiteral("impresion/papel");

// The progress of a print or a PDF over its pages, shown once it takes
// half a second; "%1" in what is done stands for the pages.
class PagesProgress {
public:
    PagesProgress(QWidget *parent, const QString &what) : parent_(parent), what_(what) {}
    PrintSurface::Progress callback()
    {
        return [this](int done, int total) {
            if (!progress_)
                progress_ = std::make_unique<WorkProgress>(
                    parent_, what_.arg(total == 1 ? QStringLiteral("1 página") : QStringLiteral("%1 páginas").arg(total)),
                    total);
            return progress_->step(done);
        };
    }

private:
    QWidget *parent_;
    QString what_;
    std::unique_ptr<WorkProgress> progress_;
};

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

FrmImp::FrmImp(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmImp"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // What is printed is the request as stored: shown, selectable, not
    // edited here.
    rtImpCG = new PrintedTextView(this);
    rtImpCG->setObjectName(QStringLiteral("rtImpCG"));
    pages_ = rtImpCG->pages();

    cmdImprimir = button(QStringLiteral("cmdImprimir"), QStringLiteral("&Imprimir"), this);
    cmdCerrar = button(QStringLiteral("cmdCerrar"), QStringLiteral("&Cerrar"), this);
    cmdVistaPrevia = button(QStringLiteral("cmdVistaPrevia"), QStringLiteral("&Vista previa"), this);
    cmdGuardarPDF = button(QStringLiteral("cmdGuardarPDF"), QStringLiteral("&Guardar PDF…"), this);
    connect(cmdImprimir, &QPushButton::clicked, this, &FrmImp::ImprimeConsideraciones);
    connect(cmdCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdVistaPrevia, &QPushButton::clicked, this, &FrmImp::showPreview);
    connect(cmdGuardarPDF, &QPushButton::clicked, this, &FrmImp::saveAsPdf);

    askPrinter = [this](QPrinter &p) {
        QPrintDialog dialog(&p, this);
        dialog.setObjectName(QStringLiteral("dlgDB"));
        // The whole document, or what is selected in it; no page numbers.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, rtImpCG->hasSelection());
        return dialog.exec() == QDialog::Accepted;
    };
    askPdfFile = [this] {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty())
            folder = QDir::homePath();
        const QString name =
            showingConsiderations_ ? QStringLiteral("consideraciones.pdf") : QStringLiteral("solicitud.pdf");
        return FileChoice::toWrite(this, QStringLiteral("Guardar PDF"), QStringLiteral("Documentos PDF (*.pdf)"),
                                   QDir(folder).filePath(name));
    };

    // Twips of the original layout: about 10 by 7 inches.
    resize(twips(10800), twips(7600));
    setMinimumSize(twips(9000), twips(3000));
}

FrmImp::~FrmImp() = default;

int FrmImp::twips(int value) const { return value * logicalDpiX() / 1440; }

QPrinter &FrmImp::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // The users' paper is Letter ("Carta"), whatever the desktop's
        // language makes the default, until they choose another.
        const QVariant kept = QSettings().value(kPaperKey);
        const auto id = kept.isValid() ? QPageSize::PageSizeId(kept.toInt()) : QPageSize::Letter;
        printer_->setPageSize(QPageSize(id == QPageSize::Custom ? QPageSize::Letter : id));
    }
    return *printer_;
}

void FrmImp::keepPaperChoice()
{
    const QPageSize::PageSizeId id = printer().pageLayout().pageSize().id();
    if (id != QPageSize::Custom)
        QSettings().setValue(kPaperKey, int(id));
}

void FrmImp::setCaption(const QString &caption)
{
    setWindowTitle(WindowTexts::withFolder(caption, folderName_));
}

void FrmImp::showEvent(QShowEvent *event)
{
    // Placed over the request window by the program, not wherever the window
    // manager puts it: it opens inside the screen's free area.
    if (!event->spontaneous())
        fitIntoScreen(true);
    QWidget::showEvent(event);
    // Once mapped, the frame the window manager added is known.
    QTimer::singleShot(0, this, [this] { fitIntoScreen(false); });
}

void FrmImp::fitIntoScreen(bool opening)
{
    QWidget *over = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen *on = over ? over->screen() : screen();
    if (!on)
        return;
    const QRect area = on->availableGeometry();
    // The frame, as far as it is known yet; before the window is mapped, a
    // title bar's worth.
    QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                   frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    if (frame.isNull() && opening) {
        const int bar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        frame = QMargins(4, bar + 4, 4, 4);
    }
    const QRect room = area.marginsRemoved(frame);
    const QSize size = this->size().boundedTo(room.size());
    if (size != this->size())
        resize(size);
    // pos() and move() place the frame's corner.
    const QSize whole = size.grownBy(frame);
    QPoint at = pos();
    if (opening && over)
        at = over->geometry().center() - QPoint(whole.width() / 2, whole.height() / 2);
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - whole.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - whole.height())));
    if (at != pos())
        move(at);
}

void FrmImp::fitLinesToPaper()
{
    // The screen breaks lines where the paper will (the text is paged for
    // the printer's paper), each character as wide as the screen draws it:
    // the screen rounds the face's size to whole pixels, the paper does
    // not, so a width in inches would not do.
    rtImpCG->setPages(pages_, PrintSurface::courier(points_));
    // Wide enough to show a whole line, as far as the screen allows.
    const int wanted = rtImpCG->lineWidth() + twips(200) + 2 * rtImpCG->frameWidth()
                       + rtImpCG->verticalScrollBar()->sizeHint().width() + 8;
    if (!isVisible() && width() < wanted) {
        const QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, wanted, height());
        resize(std::min(wanted, available.width()), std::min(height(), available.height()));
    }
}

void FrmImp::fitToPaper()
{
    const PrintSurface::PageGeometry geometry(printer(), points_);
    if (pages_->columns() == geometry.columns() && pages_->linesPerPage() == geometry.linesPerPage())
        return;
    pages_ = std::make_shared<const PrintedPages>(geometry.paged(*pages_));
    fitLinesToPaper();
}

void FrmImp::showText(const QString &text, const QList<RequestReport::Range> &centred, double points)
{
    points_ = points;
    pages_ = std::make_shared<const PrintedPages>(PrintSurface::PageGeometry(printer(), points).paged(text, centred));
    fitLinesToPaper();
}

void FrmImp::showConsiderations(const QString &text)
{
    showingConsiderations_ = true;
    setCaption(considerationsCaption());
    showText(text, {}, PrintSurface::kConsiderationsPoints);
}

void FrmImp::showReport(const RequestReport::Report &report)
{
    showingConsiderations_ = false;
    setCaption(reportCaption());
    showText(report.text, report.centred, PrintSurface::kReportPoints);
}

void FrmImp::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    rtImpCG->setGeometry(twips(100), twips(100), w - twips(200), h - twips(1000));
    const int top = h - twips(700);
    const auto sizeOf = [this](QPushButton *b) {
        return QSize(std::max(twips(1215), b->sizeHint().width()), std::max(twips(375), b->sizeHint().height()));
    };
    cmdImprimir->setGeometry(QRect(QPoint(twips(4560), top), sizeOf(cmdImprimir)));
    cmdCerrar->setGeometry(QRect(QPoint(twips(5880), top), sizeOf(cmdCerrar)));
    // The preview and the PDF file follow, a little apart.
    int x = cmdCerrar->geometry().right() + twips(105);
    for (QPushButton *b : {cmdVistaPrevia, cmdGuardarPDF}) {
        b->setGeometry(QRect(QPoint(x, top), sizeOf(b)));
        x = b->geometry().right() + twips(105);
    }
}

void FrmImp::ImprimeConsideraciones()
{
    QPrinter &p = printer();
    if (!askPrinter(p))
        return;
    keepPaperChoice();
    // The part selected, when the dialog was asked to print it. (A copy:
    // the text shown may change while the pages print.)
    const bool selection = p.printRange() == QPrinter::Selection && rtImpCG->hasSelection();
    const PrintedPages pages = selection ? pages_->part(rtImpCG->selectionStart(), rtImpCG->selectionEnd()) : *pages_;
    PagesProgress progress(this, showingConsiderations_
                                     ? QStringLiteral("Imprimiendo las consideraciones generales (%1)…")
                                     : QStringLiteral("Imprimiendo la solicitud (%1)…"));
    const PrintSurface::Result printed = PrintSurface::ImprimeRTF(pages, points_, p, progress.callback());
    pagesLastPrinted_ = printed.outcome == PrintSurface::Outcome::Done ? printed.pages : 0;
    if (printed.outcome == PrintSurface::Outcome::Failed)
        MessageBox::warning(this, printed.error.isEmpty()
                                      ? QStringLiteral("No se pudo imprimir: la impresora no respondió.")
                                      : printed.error);
    fitToPaper();
}

void FrmImp::saveAsPdf()
{
    const QString path = askPdfFile();
    if (path.isEmpty())
        return;
    PagesProgress progress(this, QStringLiteral("Escribiendo el PDF (%1)…"));
    const std::shared_ptr<const PrintedPages> pages = pages_; // kept while it is written
    const PrintSurface::Result written = PrintSurface::writePdf(*pages, points_, path, &printer(), progress.callback());
    if (written.outcome == PrintSurface::Outcome::Failed)
        MessageBox::warning(this, written.error);
}

void FrmImp::showPreview()
{
    PrintPreview preview(printer(), pages_, points_, this);
    preview.setWindowTitle(windowTitle());
    preview.print = [this] { ImprimeConsideraciones(); };
    preview.resize(width(), height() + twips(1440));
    preview.exec();
    keepPaperChoice();
    fitToPaper();
}
