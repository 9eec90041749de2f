#include "field_edit.h"

#include "platform/typed_key.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenu>
#include <QMimeData>
#include <QValidator>
#include <algorithm>

// Marks the span of one edit by the user.
struct FieldEdit::UserEdit {
    explicit UserEdit(FieldEdit *e) : edit(e) { ++edit->userEditing_; }
    ~UserEdit() { --edit->userEditing_; }
    FieldEdit *edit;
};

namespace {

// Refuses an edit by the user that would make the text longer than the
// typing limit, unless the text was already longer and does not grow (so a
// long stored value can still be shortened). Whatever the program sets is
// accepted as it is.
class TypingLimitValidator : public QValidator {
public:
    explicit TypingLimitValidator(FieldEdit *edit) : QValidator(edit), edit_(edit) {}

    State validate(QString &input, int &) const override
    {
        const int limit = edit_->typingLimit();
        if (!edit_->userEditing() || limit <= 0 || input.size() <= limit
            || input.size() <= edit_->acceptedText().size())
            return Acceptable;
        return Invalid;
    }

private:
    FieldEdit *edit_;
};

} // namespace

FieldEdit::FieldEdit(const QString &name, QWidget *parent) : QLineEdit(parent)
{
    setObjectName(name);
    setValidator(new TypingLimitValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) { acceptedText_ = text; });
}

void FieldEdit::setKeyRule(KeyRules::Rule rule)
{
    keyRule_ = rule;
    // A box the program fills takes no edit at all (Delete and cut included).
    setReadOnly(rule == KeyRules::Rule::ShowOnly);
}

int FieldEdit::typingPosition() const
{
    return (hasSelectedText() ? selectionStart() : cursorPosition()) + 1;
}

void FieldEdit::insertTyped(const QString &text)
{
    if (isReadOnly())
        return;
    QString accepted = KeyRules::filterInserted(keyRule_, text, typingPosition());
    if (accepted.isEmpty() && !text.isEmpty())
        emit typingRefused(typingPosition());
    if (typingLimit_ > 0) {
        const qsizetype room = typingLimit_ - (this->text().size() - selectedText().size());
        accepted.truncate(std::max<qsizetype>(room, 0));
    }
    if (accepted.isEmpty())
        return;
    UserEdit edit(this);
    insert(accepted);
}

void FieldEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        insertTyped(QApplication::clipboard()->text());
        return;
    }
    // Every key that types text goes through the box's rule, character by
    // character, whatever modifiers come with it: what the rule refuses is
    // swallowed without a word.
    if (const QString text = insertedText(event); !text.isEmpty()) {
        event->accept();
        insertTyped(text);
        return;
    }
    if (typedKeyCode(event) == 8 && KeyRules::filterKey(keyRule_, 8, typingPosition()) == 0) {
        event->accept();
        return;
    }
    UserEdit edit(this);
    QLineEdit::keyPressEvent(event);
}

void FieldEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // Entering the box selects its whole text; coming back to the window
    // finds the box as it was left.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    selectAll();
    keepSelectionOnClick_ = event->reason() == Qt::MouseFocusReason;
}

void FieldEdit::mousePressEvent(QMouseEvent *event)
{
    // The click that entered the box leaves its text selected; a further
    // click places the caret.
    if (keepSelectionOnClick_ && event->button() == Qt::LeftButton) {
        keepSelectionOnClick_ = false;
        event->accept();
        return;
    }
    keepSelectionOnClick_ = false;
    QLineEdit::mousePressEvent(event);
}

void FieldEdit::inputMethodEvent(QInputMethodEvent *event)
{
    UserEdit edit(this);
    if (keyRule_ == KeyRules::Rule::Free || event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(KeyRules::filterInserted(keyRule_, event->commitString(), typingPosition()),
                             event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void FieldEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // A middle click pastes the selection, filtered as typed text.
    if (event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection()) {
        event->accept();
        if (!isReadOnly()) {
            setCursorPosition(cursorPositionAt(event->position().toPoint()));
            insertTyped(QApplication::clipboard()->text(QClipboard::Selection));
        }
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void FieldEdit::dropEvent(QDropEvent *event)
{
    // Text dragged in from elsewhere is typed in where it is dropped.
    if (event->source() != this && event->mimeData()->hasText()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (!isReadOnly()) {
            setCursorPosition(cursorPositionAt(event->position().toPoint()));
            insertTyped(event->mimeData()->text());
        }
        return;
    }
    UserEdit edit(this);
    QLineEdit::dropEvent(event);
}

void FieldEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (!menu)
        return;
    // The menu's paste runs after this event: route it through a user edit.
    for (QAction *action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste"))
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] { insertTyped(QApplication::clipboard()->text()); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
