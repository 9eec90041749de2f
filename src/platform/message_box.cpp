#include "message_box.h"

#include <QMessageBox>
#include <QTextStream>

namespace {

struct ScriptState {
    bool scripted = false;
    bool console = false;
    QList<MessageBox::Answer> answers;
    QList<MessageBox::Shown> shown;
    int unanswered = 0;
};

ScriptState &state()
{
    static ScriptState s;
    return s;
}

QMessageBox::Icon boxIcon(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Icon::Exclamation: return QMessageBox::Warning;
    case MessageBox::Icon::Information: return QMessageBox::Information;
    case MessageBox::Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBox::Answer MessageBox::show(QWidget *parent, const QString &text, Icon icon, bool question,
                                    const QString &title)
{
    ScriptState &s = state();
    Answer answer = question ? Answer::No : Answer::Ok;
    if (s.console && !s.scripted) {
        if (question)
            return Answer::Yes;
        QTextStream(stderr) << text << Qt::endl;
        return Answer::Ok;
    }
    if (s.scripted) {
        if (question) {
            if (s.answers.isEmpty())
                ++s.unanswered;
            else
                answer = s.answers.takeFirst();
        }
    } else {
        QMessageBox box(boxIcon(icon), title, text,
                        question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
        box.setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
        const int pressed = box.exec();
        if (question)
            answer = pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    if (s.scripted)
        s.shown.append({title, text, icon, question, answer});
    return answer;
}

void MessageBox::warning(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, text, Icon::Exclamation, false, title);
}

void MessageBox::information(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, text, Icon::Information, false, title);
}

bool MessageBox::question(QWidget *parent, const QString &text, Icon icon, const QString &title)
{
    return show(parent, text, icon, true, title) == Answer::Yes;
}

std::optional<MessageBox::Answer> MessageBox::withoutDialog(const QString &text, bool question)
{
    if (!state().scripted && !state().console)
        return std::nullopt;
    return show(nullptr, text, question ? Icon::Question : Icon::Exclamation, question, defaultTitle());
}

void MessageBox::record(const QString &text, bool question, Answer answer)
{
    if (state().scripted)
        state().shown.append({defaultTitle(), text, question ? Icon::Question : Icon::Exclamation, question, answer});
}

void MessageBox::setConsole(bool console) { state().console = console; }
void MessageBox::setScripted(bool scripted) { state().scripted = scripted; }
bool MessageBox::scripted() { return state().scripted; }
void MessageBox::setNextAnswers(const QList<Answer> &answers) { state().answers = answers; }
int MessageBox::pendingAnswers() { return int(state().answers.size()); }
int MessageBox::unansweredQuestions() { return state().unanswered; }
QList<MessageBox::Shown> MessageBox::shown() { return state().shown; }

QStringList MessageBox::shownTexts()
{
    QStringList texts;
    for (const Shown &m : std::as_const(state().shown))
        texts.append(m.text);
    return texts;
}

void MessageBox::clearShown()
{
    state().shown.clear();
    state().answers.clear();
    state().unanswered = 0;
}
