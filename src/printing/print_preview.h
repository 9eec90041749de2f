#pragma once

#include "print_surface.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QPrinter;
class QPushButton;
class QSpinBox;
class PreviewPages;

// The preview of the printed pages, one under another as wide as the
// window, each drawn only when it comes into sight: the first shows at
// once whatever the length. The page number and count, the printer's
// paper ("Página…") and a print button.
class PrintPreview : public QDialog {
    Q_OBJECT
public:
    PrintPreview(QPrinter &printer, std::shared_ptr<const PrintedPages> pages, double points, QWidget *parent = nullptr);
    ~PrintPreview() override;

    // What the print button does (the printer dialog, then the print).
    std::function<void()> print;

    int pageCount() const;
    int currentPage() const; // from 1
    void showPage(int page);
    // Pages drawn so far (for benchmarks and tests).
    int pagesDrawn() const;

    QPushButton *cmdImprimir = nullptr;
    QPushButton *cmdPagina = nullptr;
    QPushButton *cmdCerrar = nullptr;

private:
    // Paged anew when the printer's paper changed.
    void refresh();

    QPrinter &printer_;
    double points_;
    PreviewPages *view_ = nullptr;
    QSpinBox *page_ = nullptr;
    QLabel *count_ = nullptr;
};
