#include "remarks_dialog.h"

#include "incoming/row_files.h"
#include "platform/file_choice.h"
#include "platform/message_box.h"
#include "store/store_error.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace RemarksDialog {

namespace {

std::function<void(QDialog *)> &nextAct()
{
    static std::function<void(QDialog *)> act;
    return act;
}

// The remarks as a table: the line, whether the row is refused, the
// column, the value and the reason. A model over the list, so that tens of
// thousands of lines cost no widget each.
class RemarksModel final : public QAbstractTableModel {
public:
    RemarksModel(const QString &lineCaption, const QList<Line> &lines, QObject *parent)
        : QAbstractTableModel(parent), lines_(lines),
          names_{lineCaption, QStringLiteral("Tipo"), QStringLiteral("Columna"), QStringLiteral("Valor"),
                 QStringLiteral("Motivo")}
    {
    }

    const QStringList &names() const { return names_; }

    QString text(int row, int column) const
    {
        const Line &l = lines_[row];
        switch (column) {
        case 0: return QString::number(l.line);
        case 1: return l.refused ? QStringLiteral("Rechazado") : QStringLiteral("Observación");
        case 2: return l.column;
        case 3: return l.value;
        default: return l.reason;
        }
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(lines_.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(names_.size()); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() >= 3))
            return text(index.row(), index.column());
        if (role == Qt::TextAlignmentRole && index.column() == 0)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        return orientation == Qt::Horizontal && role == Qt::DisplayRole ? QVariant(names_.value(section)) : QVariant();
    }

private:
    QList<Line> lines_;
    QStringList names_;
};

// A cell as spreadsheets take it from the clipboard: quoted when it holds
// a tab, a line break or a quote.
QString pastable(const QString &cell)
{
    if (!cell.contains(u'\t') && !cell.contains(u'\n') && !cell.contains(u'\r') && !cell.contains(u'"'))
        return cell;
    return u'"' + QString(cell).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

// The whole table with its names: for the clipboard, or a file.
QList<QStringList> tableRows(const RemarksModel &model)
{
    QList<QStringList> rows;
    rows.reserve(model.rowCount() + 1);
    rows.append(model.names());
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column)
            cells.append(model.text(row, column));
        rows.append(cells);
    }
    return rows;
}

void copyAll(const RemarksModel &model)
{
    QString text;
    for (const QStringList &row : tableRows(model)) {
        QStringList cells;
        for (const QString &cell : row)
            cells.append(pastable(cell));
        text += cells.join(u'\t') + u'\n';
    }
    QApplication::clipboard()->setText(text);
}

void saveAll(QDialog *dialog, const RemarksModel &model)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString path = FileChoice::toWrite(dialog, QStringLiteral("Guardar como CSV"),
                                             QStringLiteral("Texto CSV (*.csv)"),
                                             QDir(folder).filePath(QStringLiteral("observaciones.csv")));
    if (path.isEmpty())
        return;
    RowFiles::Sheet sheet;
    sheet.rows = tableRows(model);
    sheet.names = sheet.rows.takeFirst();
    try {
        RowFiles::write(path, sheet);
    } catch (const StoreError &e) {
        MessageBox::warning(dialog, e.message());
        return;
    }
    MessageBox::information(dialog, QStringLiteral("Se escribieron %1 renglones en «%2».")
                                        .arg(sheet.rows.size())
                                        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
}

// What the dialog says as one text: the summary, a line per remark and the
// question.
QString messageText(const QString &summary, const QString &lineCaption, const QList<Line> &lines, bool question)
{
    QString text = summary;
    for (const Line &l : lines)
        text += u'\n'
                + QStringLiteral("%1 %2, %3, «%4»: %5").arg(lineCaption).arg(l.line).arg(l.column, l.value, l.reason);
    if (question)
        text += QStringLiteral("\n\n¿Escribir los renglones aceptados?");
    return text;
}

// As large as the table wants, within the screen.
void fitToScreen(QDialog &dialog, QTableView *view, QWidget *parent)
{
    const QScreen *screen = parent ? parent->screen() : dialog.screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QSize wanted = dialog.sizeHint();
    if (view) {
        int width = 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
        for (int c = 0; c < view->model()->columnCount(); ++c)
            width += view->columnWidth(c);
        const int height = 2 * view->frameWidth() + view->horizontalHeader()->sizeHint().height()
                           + view->horizontalScrollBar()->sizeHint().height()
                           + view->verticalHeader()->defaultSectionSize() * view->model()->rowCount();
        const QSize own = view->sizeHint();
        wanted = QSize(std::max(wanted.width(), wanted.width() - own.width() + width),
                       wanted.height() - own.height() + height);
    }
    wanted = wanted.boundedTo(QSize(area.width() * 9 / 10, area.height() * 85 / 100))
                 .expandedTo(QSize(std::min(560, area.width()), 0));
    dialog.resize(wanted);
}

} // namespace

bool ask(QWidget *parent, const QString &summary, const QString &lineCaption, const QList<Line> &lines,
         bool question)
{
    const QString text = messageText(summary, lineCaption, lines, question);
    const std::function<void(QDialog *)> act = std::exchange(nextAct(), {});
    if (!act)
        if (const std::optional<MessageBox::Answer> answer = MessageBox::withoutDialog(text, question))
            return question && *answer == MessageBox::Answer::Yes;

    QDialog dialog(parent);
    dialog.setWindowTitle(MessageBox::defaultTitle());
    dialog.setModal(true);
    auto *layout = new QVBoxLayout(&dialog);
    auto *top = new QHBoxLayout;
    auto *icon = new QLabel(&dialog);
    const int side = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    icon->setPixmap(dialog.style()
                        ->standardIcon(question ? QStyle::SP_MessageBoxQuestion : QStyle::SP_MessageBoxWarning,
                                       nullptr, &dialog)
                        .pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
    auto *said = new QLabel(summary, &dialog);
    said->setObjectName(QStringLiteral("summary"));
    said->setTextFormat(Qt::PlainText);
    said->setWordWrap(true);
    said->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    top->addWidget(said, 1);
    layout->addLayout(top);

    // The table's buttons at the left, the answers at the right.
    auto *bottom = new QHBoxLayout;
    auto *buttons = new QDialogButtonBox(&dialog);
    QTableView *view = nullptr;
    if (!lines.isEmpty()) {
        view = new QTableView(&dialog);
        view->setObjectName(QStringLiteral("remarks"));
        auto *model = new RemarksModel(lineCaption, lines, view);
        view->setModel(model);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setWordWrap(false);
        view->setAlternatingRowColors(true);
        view->verticalHeader()->hide();
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setMinimumSectionSize(0);
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8); // a line of text
        view->horizontalHeader()->setStretchLastSection(true);
        view->resizeColumnsToContents(); // from a sample of the lines, however many
        layout->addWidget(view, 1);
        // The two of them leave Enter to the answer, even after a click.
        auto *copy = new QPushButton(QStringLiteral("Copiar"), &dialog);
        auto *save = new QPushButton(QStringLiteral("Guardar como CSV…"), &dialog);
        copy->setAutoDefault(false);
        save->setAutoDefault(false);
        bottom->addWidget(copy);
        bottom->addWidget(save);
        QObject::connect(copy, &QPushButton::clicked, &dialog, [model] { copyAll(*model); });
        QObject::connect(save, &QPushButton::clicked, &dialog, [&dialog, model] { saveAll(&dialog, *model); });
    }
    QPushButton *yes = question ? buttons->addButton(QStringLiteral("Sí"), QDialogButtonBox::YesRole)
                                : buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    if (question)
        buttons->addButton(QStringLiteral("No"), QDialogButtonBox::NoRole);
    yes->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    fitToScreen(dialog, view, parent);

    if (act)
        QTimer::singleShot(0, &dialog, [&dialog, &act] {
            act(&dialog);
            if (dialog.isVisible())
                dialog.reject();
        });
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (act)
        MessageBox::record(text, question,
                           !question   ? MessageBox::Answer::Ok
                           : accepted  ? MessageBox::Answer::Yes
                                       : MessageBox::Answer::No);
    return question && accepted;
}

void actOnNext(std::function<void(QDialog *)> act) { nextAct() = std::move(act); }

} // namespace RemarksDialog
