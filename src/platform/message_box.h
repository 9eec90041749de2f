#pragma once

#include <QList>
#include <QString>

#include <optional>

class QWidget;

// Every message of the program goes through here: a modal box titled
// "QUELVAR" with the icon and buttons of its kind. A warning has the
// exclamation icon and OK, an information box the information icon and OK,
// a question Yes and No.
//
// Tests switch the wrapper to scripted mode: nothing is shown, questions take
// their answers from a queue, and every message is recorded so that the test
// can read back what the user would have seen, in order.
class MessageBox {
public:
    enum class Icon { Exclamation, Information, Question };
    enum class Answer { Ok, Yes, No };

    struct Shown {
        QString title;
        QString text;
        Icon icon;
        bool question; // Yes/No buttons (else a single OK)
        Answer answer;
    };

    static QString defaultTitle() { return QStringLiteral("QUELVAR"); }

    static void warning(QWidget *parent, const QString &text, const QString &title = defaultTitle());
    static void information(QWidget *parent, const QString &text, const QString &title = defaultTitle());
    // True when the user answers Yes.
    static bool question(QWidget *parent, const QString &text, Icon icon = Icon::Question,
                         const QString &title = defaultTitle());

    // --- for dialogs of their own that stand for a box ---
    // A warning or a question with more than a box holds, shown by the
    // caller in a dialog of its own. While boxes are shown nothing comes
    // back, and the caller shows its dialog; else (scripted, or the command
    // line) the text is taken as warning() or question() takes it, recorded
    // alike, and its answer comes back.
    static std::optional<Answer> withoutDialog(const QString &text, bool question);
    // Scripted: such a dialog that a test had shown after all, recorded
    // with the answer given in it.
    static void record(const QString &text, bool question, Answer answer);

    // --- for the command line ---
    // Without a window: warnings and information go to standard error, one
    // line each, and every question is taken as answered Yes.
    static void setConsole(bool console);

    // --- for tests ---
    static void setScripted(bool scripted);
    static bool scripted();
    // Answers for the next questions, in order. A question asked with no
    // answer left is answered No and counted in unansweredQuestions().
    static void setNextAnswers(const QList<Answer> &answers);
    static void setNextAnswer(Answer answer) { setNextAnswers({answer}); }
    static int pendingAnswers();
    static int unansweredQuestions();
    static QList<Shown> shown();
    static QStringList shownTexts();
    static void clearShown();

private:
    static Answer show(QWidget *parent, const QString &text, Icon icon, bool question, const QString &title);
};
