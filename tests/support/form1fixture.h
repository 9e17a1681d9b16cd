#pragma once

#include "fakes.h"
#include "form1.h"
#include "graphicalcheckbox.h"
#include "listbox.h"
#include "testfolder.h"

#include <QPushButton>

/// The main window with the program's folder (an empty temporary one), the
/// screen, the file dialogs and the message boxes replaced, as start-up finds
/// them.
struct Form1Fixture
{
    TestFolder programFolder;
    FixedProgramFolder folder{programFolder.path()};
    ProgramFolder::Override useFolder{folder};
    FakeScreen screen{15360, 11520};
    Screen::Override useScreen{screen};
    FakeFileDialogs dialogs;
    FileDialogs::Override useDialogs{dialogs};
    FakeMessageBoxes messages;
    MessageBoxes::Override useMessages{messages};
    Form1 form;

    ListBox *list() { return form.findChild<ListBox *>(QStringLiteral("List1")); }
    GraphicalCheckBox *add() { return form.findChild<GraphicalCheckBox *>(QStringLiteral("Check1")); }
    GraphicalCheckBox *join() { return form.findChild<GraphicalCheckBox *>(QStringLiteral("Check2")); }
    QPushButton *hidden() { return form.findChild<QPushButton *>(QStringLiteral("Command1")); }
};
