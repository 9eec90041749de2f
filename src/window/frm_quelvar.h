#pragma once

#include "exchange/request_exchange.h"
#include "incoming/incoming_rows.h"
#include "rules/request_mode.h"
#include "rules/request_report.h"
#include "store/dbf_table.h"
#include "store/request_choices.h"

#include <QDate>
#include <memory>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QStringList>

class BoundGrid;
namespace CompletenessReview { struct SingleCheck; }
class BoundField;
class DataLink;
class FieldEdit;
class FrmImp;
class GridController;
class ImportGrid;
class RowTransfer;
class UnitCostGrid;
class PickerLists;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTabWidget;
class QToolButton;
class Recordset;
class RequestLinks;

// The request window: the company, the request and its documents, on nine
// tabs under a fixed header, with the command bar below. Every control is
// found by its objectName; controls of an array carry their index in
// brackets ("cmdAccion(6)", "txtTED(0)").
class FrmQuelvar : public QMainWindow {
    Q_OBJECT
public:
    // Opens the request kept in the folder. Throws StoreError when its tables
    // cannot be opened.
    explicit FrmQuelvar(const QString &folder, QWidget *parent = nullptr);
    ~FrmQuelvar() override;

    QString folder() const { return folder_; }
    RequestLinks *links() const { return links_; }
    const QStringList &gridLengthMessages() const { return msgLongGrid_; }
    quint8 opcDT() const { return OpcDT; }
    quint8 mDev() const { return MDev; }

    // --- life of the window ---
    void Form_Load();
    void Form_Activate();
    void LimpiaPantalla();
    void EstableceLigas();
    void LlenaArregloMsg();
    void InicializaControles();
    void SSTabDatos_Click(int previousTab);

    // --- completeness review (review.cpp) ---
    // 0 when nothing the request needs is blank; otherwise 1, the first
    // blank named in a message, its tab in front and the focus on it.
    quint8 ContinuaRev();
    // 1 when the box is empty (or nothing is chosen in the list): the
    // message with the phrase, the tab brought forward and the focus on the
    // object (on the grid when asked).
    quint8 RevContenido(quint8 qTab, QWidget *qObjeto, const QString &qTexto, quint8 ponFocoDB = 0,
                        BoundGrid *qDbGrid = nullptr);

    // --- command bar, save and erase (commands.cpp) ---
    void cmdAccion_Click(int index);
    // Commands 4 and 5: the review, the annex of a transfer with certificate
    // (4 only), then the amount the request asks for, confirmed by the user.
    bool confirmAmount(int command);
    // Stores the company and request records. On an error of the tables it
    // says what could not be written and returns false; what the user typed
    // stays in the window.
    bool GuardaInformacion();
    bool BorraInformacion(quint8 accion);
    void ColocaCeros(quint8 aCero);

    // --- the printed request and the considerations (printing.cpp) ---
    // 1: prints what the printing window shows. Otherwise builds the
    // request's report and shows it there, or says the request must be
    // completed first.
    void ImprimeSolicitud(quint8 imprime);
    // The report of the request as the window shows it and the tables hold it.
    RequestReport::Report reportAsShown() const;
    // Command 1: the considerations for the refund type chosen.
    void showConsiderations();
    // The printing window, made when first needed.
    FrmImp *frmImp();

    // --- the exchange medium (exchange.cpp) ---
    // 0 copies the request's seven tables to drive A, for the ministry; 1
    // reads them from there in place of the request's. Says itself how it
    // went: "Proceso terminado." only when every table is in place.
    void GeneraRecupera(quint8 qOperacion);
    // Copies one table from one folder to the other, the link of the
    // request's table it writes (qData; none for a recovery's staging copy)
    // cut on the first pass (nPaso 0) so that the file is no longer held. A
    // failed copy is made again as a further pass, at most
    // RequestExchange::kFurtherPasses times; then it throws StoreError naming
    // the file and the fault. `progress` hears of the bytes copied (and may
    // stop the copy: RequestExchange::Cancelled).
    void CopiaA(const QString &origen, const QString &destino, DataLink *qData, const QString &qBase, quint8 nPaso,
                const RequestExchange::Progress &progress = {});
    // True when a file is found at the path, its name matched without regard
    // to case.
    static bool FExist(const QString &ruta);

    // --- request type and mode ---
    void OpcionesDirecta();
    void OpcionesTransferencia();
    void OpcionesRME(bool vf);
    void DeterminaOpcDT(qint16 qTSol);
    void VerificaMDevA8();
    void VerificaMDevBC();
    // Column i of the grid shown where the mask has "1" at i, hidden at "0";
    // columns past the mask keep their state.
    void EstableceVisiblesDB(const QString &mask, BoundGrid *grid);
    // The same for the locks of the imported goods' columns.
    void EstLockdbMI(const QString &mask);
    // Tab i shown at "1", hidden at "0"; the tabs shown fill one row.
    void EstableceVisiblesTab(const QString &mask);
    int tabsPerRow() const { return tabsPerRow_; }

    // --- totals (totals.cpp) ---
    // The imported goods' originating and non-originating totals by the
    // totalling mode, and the refund requested.
    void TotalOrNOr();
    // The sum of the unit costs stored.
    void TotalCostosUnitarios();
    // The four totals of the direct and of the indirect exports, and the two
    // of the TLCAN imports (which cap the non-originating total), from the
    // stored rows.
    void TotalExpDirecta();
    void TotalExpIndirecta();
    void TotalImpTLCAN();

    // Selects an entry of a header combo as the program does; its handling
    // runs exactly as for the user's selection.
    void selectEntry(QComboBox *combo, int index);
    // Events of the header controls and the transfer boxes.
    void opcTSolicitud_MouseUp(int index);
    void cmbTDevolucion_Click();
    void cmbTExportacion_Click();
    void cmbTSolicitud_Click();
    void chkAnexoB_Click();
    void chkAnexoC_Click();
    void chkApendice8_Click();

    // --- text boxes ---
    // Forces the box's text to upper case (mm = 1) or lower case, caret at
    // the end.
    void FomateaLetra(QLineEdit *box, quint8 mm);
    // Puts thousands separators into the box's number and sets its typing
    // limit; a text with a "," before any "." is left as it is.
    void FormateaNumero(QLineEdit *box, quint8 qLong);
    void SeleccionaTexto(QLineEdit *box);
    // The state chosen: written into the company record at once.
    void cmbEdo_Click();

    // --- combos and lists ---
    void PersonalizaCombos(QComboBox *combo, DataLink *catalogue, DataLink *company);
    void PersonalizaComboUM();
    void PersonalizaGrid(BoundGrid *grid);
    void LlenaCmbTExportacion(int requestType);
    void ColocaValsCombosEM(quint8 requestType);
    void LlenalstPais(quint8 qTExportacion, int qModalidad = 0, int qOrigen = -1);

    // --- picker lists (handed on to the grids' controllers, grids/) ---
    // Refills the tariff-item and document-key lists from their tables.
    void LlenaListas();
    // Opens a list just under the current cell of a grid column, its first
    // line selected; the focus stays in the grid.
    void ColocaListaGrid(BoundGrid *qGrid, int qCol, QListWidget *qList);
    // Confirms the selected line of a list into its grid cell (Enter or a
    // double click in the list) and hides the list.
    void confirmPicker(QListWidget *list);
    // Copies the cost of the tariff item last picked into the imported-goods
    // row being written that carries that item.
    void CompletaSelFraccion();
    const QString &fraccionRecordada() const;

    // --- grid cell checks ---
    void MensajeLongGrid(BoundGrid *qGrid, int qCol, int qLen, const QString &qMensaje);
    void VerificaFecha(BoundGrid *qGrid, int qFecha);
    void MensajeFechaIncorrecta(BoundGrid *qGrid, const QString &qMsj = QString());
    // The date taken as today by the date checks: the system's, unless set.
    void setToday(const QDate &today);
    QDate today() const;

    // Cell buttons and number formats of the grids.
    void EstableceFormatosGrid();
    // The derived values and totals of the grids, recomputed as if the user
    // had just edited them (a step of the start-up).
    void RecalculaTotales();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    template <class T> T *ctl(const QString &name) const { return findChild<T *>(name); }
    FieldEdit *txt(const QString &name) const;
    QLabel *lbl(const QString &name) const;
    BoundGrid *grid(const QString &name) const;
    bool isDirect() const;
    void raiseSelection(QComboBox *combo);
    void showControls(const QStringList &names, bool visible);
    // The choices of the header, as if the request type were the one given.
    RequestMode::Choices choices(bool direct) const;
    void applyMode(const RequestMode::Mode &mode);
    // The header's choices, and the codes the request record holds for them.
    RequestChoices::Choices headerChoices() const;
    RequestChoices::Codes storedCodes(Recordset &solicitu) const;
    void connectEvents();
    // Enter in a box or list: the focus goes on along the request, to the
    // next control that can take it, bringing its tab forward.
    bool enterPressed(QObject *control);
    QString enterTarget(const QString &from) const;
    bool canTakeFocus(const QWidget *control) const;
    int tabOf(const QWidget *control) const; // -1: the header
    void connectFieldRules();
    void connectTotals();
    void watchTables();
    bool showTablesWrittenElsewhere();
    void totalled(DataLink *link);
    bool reviewApplies(const CompletenessReview::SingleCheck &check) const;
    void reportMissing(int tab, const QString &message, QWidget *focus);
    // The totals as the request opens with them: the start-up's
    // recomputation, then the transfer boxes' modes.
    void totalsAsOpened();
    void verifyTransferBoxes();
    // The cost structure's totals after a change of one of its fields.
    void costFieldChanged(const QString &field);
    bool fieldEvent(QObject *watched, QEvent *event);
    // The rules of a box left; false when one complained (the message shown).
    bool fieldLeft(FieldEdit *field);
    // Before a command: the box or grid cell being typed finished as leaving
    // it would, and every grid's pending row written. False when something
    // was refused: its message shown and the focus back on it.
    bool finishEditing();
    void writeCompanyState();
    void centreOnScreen();
    // Selects the entry a stored text names, or shows that text as it is.
    void showStoredText(QComboBox *combo, const QString &stored);

    // The grids' controllers and their picker lists (pickers.cpp).
    void connectPickers();
    void connectGridEvents();
    GridController *controllerOf(const BoundGrid *grid) const;
    GridController *controllerOnTab() const;
    void showColumnHelp(BoundGrid *grid, int x);

    // Building the window (window_layout.cpp).
    void buildWindow();
    QWidget *buildHeader();
    QWidget *buildAddressTab();
    QWidget *buildGeneralTab();
    QWidget *buildGoodsTab();
    QWidget *buildCostTab();
    QWidget *buildUnitCostTab();
    QWidget *buildImportsTab();
    QWidget *buildDirectExportTab();
    QWidget *buildIndirectExportTab();
    QWidget *buildTlcanTab();
    QWidget *buildCommandBar();
    void buildPickerLists(QWidget *parent);
    void bindFields();
    FieldEdit *makeField(const QString &name, QWidget *parent);
    FieldEdit *makeTotal(const QString &name, QWidget *parent);
    // The totals array(0), array(1) ... in a row, each under its caption.
    QWidget *makeTotals(QWidget *page, const QString &array, const QStringList &labels, const QStringList &captions);
    BoundGrid *makeGrid(const QString &name, QWidget *parent);

    void onTabChanged(int index);
    bool unitCostsComplete();
    void showStoreFailure(const QString &what, const QString &why);
    // No request type, refund, export type, kind, folio or unit chosen, and
    // with `company` no state, activity or bank either.
    void clearChoices(bool company);
    // Lets the link's table file go: the link is detached and its record
    // set closed.
    void cutLink(DataLink *link);
    // Before the links bring a recovered request: nothing of the one it
    // replaced stays on screen.
    void clearRequestShown();

    QString folder_;
    RequestLinks *links_;
    QTabWidget *SSTabDatos = nullptr;
    QList<QRadioButton *> opcTSolicitud;
    QComboBox *cmbTSolicitud = nullptr;
    QComboBox *cmbTDevolucion = nullptr;
    QComboBox *cmbTExportacion = nullptr;
    QComboBox *cmbEdo = nullptr;
    QComboBox *cmbActFiscal = nullptr;
    QComboBox *cmbBanco = nullptr;
    QComboBox *cmbUM = nullptr;
    QListWidget *lstClave = nullptr;
    QListWidget *lstFraccion = nullptr;
    QListWidget *lstPais = nullptr;
    QListWidget *lstPaisAux = nullptr;
    QList<BoundField *> boundFields_;
    QStringList msgLongGrid_;
    QDate today_;
    PickerLists *pickerLists_ = nullptr;
    UnitCostGrid *unitCosts_ = nullptr;
    ImportGrid *imports_ = nullptr;
    QList<GridController *> gridControllers_;
    QList<RowTransfer *> rowTransfers_;
    IncomingRows::Context incomingContext(BoundGrid *grid);

    int currentTab_ = 0;
    int tabsPerRow_ = 9;
    bool arrangingTabs_ = false;
    bool writingCosts_ = false;
    // While the window initialises, the totals asked for are taken once, at
    // the end, with the mode the stored choices give (see totals.cpp).
    enum HeldTotal { HeldDirect = 1, HeldIndirect = 2, HeldImports = 4, HeldTlcan = 8 };
    bool holdTotal(HeldTotal total);
    void releaseTotals();
    bool holdingTotals_ = false;
    // Each grid's table as its totals last read it.
    QHash<const DataLink *, DbfTable::Stamp> totalledAt_;
    int totalsHeld_ = 0;
    void writeTotals(const QString &array, const QStringList &totals);
    bool sumTlcanImports();
    bool shownOnce_ = false;
    FrmImp *frmImp_ = nullptr;
    quint8 OpcDT = 0;
    quint8 MDev = 0;
};
