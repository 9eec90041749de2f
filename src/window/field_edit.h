#pragma once

#include <QLineEdit>

// A text box of the request window. Its typing limit bounds what the user
// types, pastes or drops, never what the program puts in it: a stored value
// longer than the limit is shown whole and written back whole.
class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldEdit(const QString &name, QWidget *parent = nullptr);

    int typingLimit() const { return typingLimit_; }
    // 0 means no limit.
    void setTypingLimit(int limit) { typingLimit_ = limit; }

    // True while an edit made by the user is being applied.
    bool userEditing() const { return userEditing_ > 0; }
    // The text before the edit being applied.
    const QString &acceptedText() const { return acceptedText_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct UserEdit;

    int typingLimit_ = 0;
    int userEditing_ = 0;
    QString acceptedText_;
};
