#pragma once

#include "checks/key_rules.h"

#include <QLineEdit>

// A text box of the request window. Its typing limit bounds what the user
// types, pastes or drops, never what the program puts in it: a stored value
// longer than the limit is shown whole and written back whole.
//
// Its key rule decides which characters the user may type; text pasted or
// dropped into the box goes through the same rule, character by character,
// as if it were typed. Entering the box selects its whole text.
class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldEdit(const QString &name, QWidget *parent = nullptr);

    int typingLimit() const { return typingLimit_; }
    // 0 means no limit.
    void setTypingLimit(int limit) { typingLimit_ = limit; }

    KeyRules::Rule keyRule() const { return keyRule_; }
    void setKeyRule(KeyRules::Rule rule);

    // Inserts text as the user's edit, in place of the selection: only what
    // the key rule lets through, and no more than the typing limit takes.
    void insertTyped(const QString &text);

    // True while an edit made by the user is being applied.
    bool userEditing() const { return userEditing_ > 0; }
    // The text before the edit being applied.
    const QString &acceptedText() const { return acceptedText_; }

signals:
    // The key rule swallowed what the user typed at that 1-based position.
    void typingRefused(int position);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct UserEdit;

    // The 1-based position where a typed character lands.
    int typingPosition() const;

    KeyRules::Rule keyRule_ = KeyRules::Rule::Free;
    bool keepSelectionOnClick_ = false;
    int typingLimit_ = 0;
    int userEditing_ = 0;
    QString acceptedText_;
};
