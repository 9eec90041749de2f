// Commands 4 and 7 after their questions: the request's seven tables copied
// to drive A for the ministry, or read back from there. The files are
// handled by exchange/request_exchange.h; the window chooses the drive, cuts
// and re-establishes its links, and shows the caption, the progress and the
// messages.
#include "frm_quelvar.h"

#include "exchange/unfinished_work.h"

#include "exchange/request_exchange.h"
#include "platform/drive_a.h"
#include "platform/message_box.h"
#include "platform/work_progress.h"
#include "store/data_link.h"
#include "store/request_links.h"
#include "rules/window_texts.h"
#include "store/store_error.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <memory>

namespace {

const QString kNotReady = QStringLiteral("Inserte un diskette en la unidad A.");
const QString kNotReadyTitle = QStringLiteral("QuelVar");
const QString kMissingFiles = QStringLiteral(
    "El disco desde el que deseas realizar la recuperación no cuenta con los archivos requeridos para realizar la "
    "operación. Verifica por favor.");
const QString kDone = QStringLiteral("Proceso terminado.");
const QString kCopying = QStringLiteral("COPIANDO INFORMACIÓN A DISKETTE...");
const QString kRecovering = QStringLiteral("RECUPERANDO INFORMACIÓN DE DISKETTE...");

} // namespace

void FrmQuelvar::GeneraRecupera(quint8 qOperacion)
{
    const bool recovering = qOperacion == 1;
    const DriveA::Choice drive = DriveA::choose(this, recovering ? DriveA::Use::Read : DriveA::Use::Write);
    if (drive.status == DriveA::Choice::Cancelled)
        return;
    if (drive.status == DriveA::Choice::NotReady) {
        MessageBox::warning(this, kNotReady, kNotReadyTitle);
        return;
    }
    if (drive.status == DriveA::Choice::NotWritable) {
        MessageBox::warning(this, QStringLiteral("La unidad A («%1») está protegida contra escritura o no se puede "
                                                 "escribir en ella; no se copió nada.")
                                      .arg(QDir::toNativeSeparators(drive.folder)));
        return;
    }
    const QString driveA = drive.folder;
    if (recovering) {
        for (const QString &table : RequestExchange::tables()) {
            if (!FExist(QDir(driveA).filePath(RequestExchange::fileOf(table)))) {
                MessageBox::warning(this, kMissingFiles);
                return;
            }
        }
    }

    const QList<DataLink *> links = links_->requestLinks();
    const QStringList &tables = RequestExchange::tables();
    Q_ASSERT(links.size() == tables.size());
    QString failure;
    QString relinkFailure;
    bool linksCut = false;
    bool leftAsItWas = true;
    bool cancelled = false;
    {
        // While the links are cut, the boxes bound to them empty and their
        // handlers ask for totals over tables not open: those are taken once,
        // when every link is back.
        const QScopedValueRollback holding(holdingTotals_, true);
        totalsHeld_ = 0;
        {
            // The window's caption comes back however the copies end.
            const QString kept = windowTitle();
            const auto restoreCaption = qScopeGuard([&] { setWindowTitle(kept); });
            setWindowTitle(WindowTexts::withFolder(recovering ? kRecovering : kCopying, QDir(folder_).dirName()));
            // The copies and their check (a read of every byte) show how far
            // they are once they take half a second, with "Cancelar".
            const QString source = recovering ? driveA : folder_;
            WorkProgress progress(this, QString(), 2 * RequestExchange::tablesSize(source));
            qint64 base = 0, size = 0;
            const RequestExchange::Progress along = [&](qint64 done, qint64 total) {
                size = total;
                return progress.step(base + done);
            };
            const auto copy = [&](const QString &to, DataLink *link, const QString &table) {
                progress.setText(recovering ? QStringLiteral("Leyendo la tabla %1 de la unidad A…").arg(table)
                                            : QStringLiteral("Copiando la tabla %1 a la unidad A…").arg(table));
                CopiaA(source, to, link, table, 0, along);
                base += size;
                size = 0;
            };
            std::unique_ptr<RequestExchange::Recovery> recovery;
            try {
                if (recovering) {
                    // The seven are copied into a staging folder and checked
                    // there while the request stays linked and untouched; only
                    // then are the links cut and the tables replaced. A cancel
                    // until then leaves the request as it was, and the staging
                    // folder goes with the recovery.
                    recovery = std::make_unique<RequestExchange::Recovery>(folder_);
                    for (const QString &table : tables)
                        copy(recovery->staging(), nullptr, table);
                    progress.setText(QStringLiteral("Revisando las tablas leídas de la unidad A…"));
                    recovery->check(driveA, along);
                    progress.done();
                    linksCut = true;
                    for (DataLink *link : links)
                        cutLink(link);
                    recovery->install();
                } else {
                    // Until the copies are verified, a program that dies
                    // leaves word for the next start not to hand them in.
                    UnfinishedWork::noteExport(folder_);
                    linksCut = true;
                    for (qsizetype i = 0; i < links.size(); ++i) {
                        Q_ASSERT(DataLink::tableOf(links[i]->RecordSource()).compare(tables[i], Qt::CaseInsensitive)
                                 == 0);
                        copy(driveA, links[i], tables[i]);
                    }
                    progress.setText(QStringLiteral("Comparando las copias de la unidad A con las tablas de la "
                                                    "solicitud…"));
                    RequestExchange::verifyCopies(folder_, driveA, along);
                }
            } catch (const StoreError &e) {
                failure = e.message();
                leftAsItWas = !recovery || recovery->untouched();
            } catch (const RequestExchange::Cancelled &) {
                cancelled = true;
            }
            progress.done();
            // Verified, or why not said now: the note has done its part.
            if (!recovering && UnfinishedWork::pending(folder_).kind == UnfinishedWork::Note::Export) {
                try {
                    UnfinishedWork::clear(folder_);
                } catch (const StoreError &) {
                    // Left for the next start, which says it once more.
                }
            }
        }
        // The links are re-established, also after a failure, before the
        // message: the window behind it shows the request again. Links
        // never cut are left alone, with whatever is typed in their boxes.
        try {
            if (recovering && failure.isEmpty() && !cancelled)
                clearRequestShown();
            if (linksCut)
                EstableceLigas();
        } catch (const StoreError &e) {
            relinkFailure = e.message();
        }
    }
    if (recovering && failure.isEmpty() && !cancelled)
        Form_Activate(); // the recovered request's choices and totals
    else
        releaseTotals();

    if (cancelled && recovering) {
        MessageBox::warning(this, QStringLiteral("Se canceló la recuperación de la información de la unidad A; la "
                                                 "solicitud quedó como estaba."));
    } else if (cancelled) {
        MessageBox::warning(this, QStringLiteral("Se canceló la copia a la unidad A. Lo que quedó en la unidad A no "
                                                 "debe entregarse; genera el disco de nuevo."));
    } else if (failure.isEmpty()) {
        MessageBox::warning(this, kDone);
    } else if (recovering) {
        MessageBox::warning(this,
                            QStringLiteral("No se recuperó la información de la unidad A.\n\n") + failure
                                + (leftAsItWas ? QStringLiteral("\n\nLa solicitud quedó como estaba.") : QString()));
    } else {
        MessageBox::warning(this, QStringLiteral("No se terminó la copia a la unidad A.\n\n") + failure
                                      + QStringLiteral("\n\nLo que quedó en la unidad A no debe entregarse; genera "
                                                       "el disco de nuevo."));
    }
    if (!relinkFailure.isEmpty())
        showStoreFailure(QStringLiteral("No se pudieron abrir de nuevo las tablas de la solicitud."), relinkFailure);
}

void FrmQuelvar::CopiaA(const QString &origen, const QString &destino, DataLink *qData, const QString &qBase,
                        quint8 nPaso, const RequestExchange::Progress &progress)
{
    if (nPaso == 0 && qData)
        cutLink(qData);
    try {
        RequestExchange::copyTable(origen, destino, RequestExchange::fileOf(qBase), progress);
    } catch (const StoreError &) {
        if (nPaso >= RequestExchange::kFurtherPasses)
            throw;
        CopiaA(origen, destino, qData, qBase, quint8(nPaso + 1), progress);
    }
}

void FrmQuelvar::cutLink(DataLink *link)
{
    // The link lets go of its table before the file is touched, and its
    // grid, if it has one, of the rows with it. What is typed and not yet
    // written reaches the table first, as at every refresh, so that an
    // export copies the request as the window shows it.
    link->setDatabaseName(QString());
    link->setRecordSource(QString());
    link->Refresh();
}

bool FrmQuelvar::FExist(const QString &ruta)
{
    const QFileInfo path(ruta);
    return !RequestExchange::findFile(path.path(), path.fileName()).isEmpty();
}

void FrmQuelvar::clearRequestShown()
{
    // Nothing of the request replaced stays on screen: its choices are
    // cleared, its boxes emptied and every tab shown; the links then bring
    // the recovered one, and the activation its choices.
    clearChoices(true);
    LimpiaPantalla();
    EstableceVisiblesTab(QStringLiteral("111111111"));
}
