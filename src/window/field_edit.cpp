#include "field_edit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QValidator>

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

void FieldEdit::keyPressEvent(QKeyEvent *event)
{
    UserEdit edit(this);
    QLineEdit::keyPressEvent(event);
}

void FieldEdit::inputMethodEvent(QInputMethodEvent *event)
{
    UserEdit edit(this);
    QLineEdit::inputMethodEvent(event);
}

void FieldEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // A middle click pastes the selection.
    UserEdit edit(this);
    QLineEdit::mouseReleaseEvent(event);
}

void FieldEdit::dropEvent(QDropEvent *event)
{
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
        connect(action, &QAction::triggered, this, [this] {
            UserEdit edit(this);
            paste();
        });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
