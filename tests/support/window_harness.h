#pragma once

// Opens the real request window over a fixture folder, with the message
// boxes scripted, and finds its controls by name.

#include "app/program_start.h"
#include "platform/message_box.h"
#include "request_fixture.h"
#include "window/frm_quelvar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

struct WindowHarness {
    RequestFixture fixture;
    std::unique_ptr<RunningProgram> program; // its lock outlives the window
    std::unique_ptr<FrmQuelvar> window;

    // Creates the folder with the records and opens the window on it.
    bool open(const RequestFixture::Records &records = {})
    {
        const QString error = fixture.create(records);
        if (!error.isEmpty()) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        return reopen();
    }

    // Starts the program on the folder as its main does (the tables
    // checked, the folder locked, unfinished work ended); false when the
    // start refused it and no window opened.
    bool reopen()
    {
        MessageBox::setScripted(true);
        MessageBox::clearShown();
        window.reset();
        program.reset();
        program = startProgram({QStringLiteral("quelvar"), fixture.folder()});
        window = std::move(program->window);
        if (window)
            window->show();
        return bool(window);
    }

    template <class T = QWidget> T *get(const QString &name) const
    {
        T *w = window->findChild<T *>(name);
        if (!w)
            qWarning("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit *text(const QString &name) const { return get<QLineEdit>(name); }
    QComboBox *combo(const QString &name) const { return get<QComboBox>(name); }
    QTabWidget *tabs() const { return get<QTabWidget>(QStringLiteral("SSTabDatos")); }

    void command(int index) const
    {
        QTest::mouseClick(get<QToolButton>(QStringLiteral("cmdAccion(%1)").arg(index)), Qt::LeftButton);
    }
    // Chooses an entry of a combo as the user does from its list.
    void pick(const QString &name, int index) const
    {
        QComboBox *c = combo(name);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    // Replaces a field's text the way the user does: select all, type.
    void type(const QString &name, const QString &value) const
    {
        QLineEdit *f = text(name);
        f->selectAll();
        QTest::keyClick(f, Qt::Key_Delete);
        QTest::keyClicks(f, value);
    }
    QList<QVariantMap> rows(const QString &table) const { return fixture.rows(table); }
};
