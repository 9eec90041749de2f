#pragma once

#include "printed_text_view.h"
#include "rules/request_report.h"

#include <QWidget>
#include <functional>
#include <memory>

class QPrinter;
class QPushButton;

// The printing window: a text shown as it will print (the general
// considerations, or the request's report), paged for the printer's paper,
// and the commands to print it, see its pages, or save them as a PDF file.
// It does not block the request window; it keeps its text until it is
// filled again or closed. What takes more than half a second (printing,
// the PDF) shows its progress and can be cancelled, leaving nothing done.
class FrmImp : public QWidget {
    Q_OBJECT
public:
    static QString considerationsCaption() { return QStringLiteral("CONSIDERACIONES GENERALES QUELVAR"); }
    static QString reportCaption() { return QStringLiteral("IMPRESIÓN QUELVAR"); }

    explicit FrmImp(QWidget *parent = nullptr);
    ~FrmImp() override;

    // The request folder's name, shown after each caption.
    void setFolderName(const QString &name) { folderName_ = name; }

    // The considerations text, in 8.5 points.
    void showConsiderations(const QString &text);
    // The request's report in 8 points, its header and titles centred.
    void showReport(const RequestReport::Report &report);

    // Prints the text as shown (or the part selected, when the printer
    // dialog says so) through the printer dialog; a cancel prints nothing
    // and says nothing.
    void ImprimeConsideraciones();
    // Asks for a file name and writes the text's pages there as PDF.
    void saveAsPdf();
    // The print preview of the pages as they will print.
    void showPreview();

    PrintedTextView *rtImpCG = nullptr;
    QPushButton *cmdImprimir = nullptr;
    QPushButton *cmdCerrar = nullptr;
    QPushButton *cmdVistaPrevia = nullptr;
    QPushButton *cmdGuardarPDF = nullptr;
    QPrinter &printer();

    // --- for tests ---
    // What stands for the printer dialog: true when the user confirmed
    // (the printer then set up as chosen); and for the file dialog.
    std::function<bool(QPrinter &)> askPrinter;
    std::function<QString()> askPdfFile;
    int pagesLastPrinted() const { return pagesLastPrinted_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showText(const QString &text, const QList<RequestReport::Range> &centred, double points);
    // Paged anew if the printer's paper changed.
    void fitToPaper();
    void fitLinesToPaper();
    int twips(int value) const;
    void setCaption(const QString &caption);
    // The window moved and, if need be, shrunk into the screen's free area.
    void fitIntoScreen(bool opening);
    // The paper the user last chose is the one the next print starts with.
    void keepPaperChoice();

    std::unique_ptr<QPrinter> printer_;
    std::shared_ptr<const PrintedPages> pages_;
    double points_ = 8;
    QString folderName_;
    bool showingConsiderations_ = false;
    int pagesLastPrinted_ = 0;
};
