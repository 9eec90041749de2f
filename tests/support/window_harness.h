#pragma once
// Starts the real program over a fixture folder, with the message boxes
// scripted, and finds the window's controls by name.
#include "app/program_start.h"
#include "platform/file_choice.h"
#include "platform/message_box.h"
#include "request_fixture.h"
#include "window/frm_quelvar.h"

#include <QComboBox>
#include <QTabWidget>
#include <QTest>

#include <memory>

struct WindowHarness {
    RequestFixture fixture;
    std::unique_ptr<RunningProgram> program; // its lock outlives the window
    std::unique_ptr<FrmQuelvar> window;

    // Starts the program on the folder as its main does (the tables
    // checked, the folder locked, unfinished work ended); false when the
    // start refused it and no window opened.
    bool reopen()
    {
        MessageBox::setScripted(true);
        FileChoice::setScripted({});
        MessageBox::clearShown();
        window.reset();
        program.reset();
        program = startProgram({QStringLiteral("quelvar"), fixture.folder()});
        window = std::move(program->window);
        if (window)
            window->show();
        return bool(window);
    }
    template <class T = QWidget> T *get(const QString &name) const { return window->findChild<T *>(name); }
    QTabWidget *tabs() const { return get<QTabWidget>(QStringLiteral("SSTabDatos")); }
    // Chooses an entry of a combo as the user does from its list.
    void pick(const QString &name, int index) const
    {
        QComboBox *c = get<QComboBox>(name);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    QList<QVariantMap> rows(const QString &table) const { return fixture.rows(table); }
};
