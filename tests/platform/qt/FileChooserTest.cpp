#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTimer>
#include <functional>
#include <optional>

#include "platform/qt/LinuxPlatform.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"

using testing_support::kExecutable;
using testing_support::TempFolder;

namespace {

const char* const kFilter = "Applications (*.exe)|*.exe|CMD Batch Files (*.bat)|*.bat|All files (*.*)|*.*";

// Acts on the file dialog as soon as it is open, the way a user would.
void whenDialogOpens(const std::function<void(QFileDialog&)>& act) {
    auto* poll = new QTimer(QCoreApplication::instance());  // deleted below, once done
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start(10);
}

// Asks the chooser, but never waits on a dialog that does not close: a stuck
// dialog is rejected after a while and the test then fails on the answer.
std::optional<std::string> choose(platform::LinuxPlatform& host, const std::string& folder) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible()) dialog->reject();
    });
    watchdog.start(5000);
    return host.ChooseFileToRun("Select File To Run", kFilter, "exe", folder);
}

// The names the dialog lists in its folder, once the folder has been read.
QStringList listed(QFileDialog& dialog, int atLeast) {
    auto* view = dialog.findChild<QListView*>("listView");
    if (view == nullptr) return {"<no list view>"};
    QStringList names;
    QElapsedTimer waited;
    waited.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        names.clear();
        const QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
            names << model->index(row, 0, view->rootIndex()).data().toString();
    } while (names.size() < atLeast && waited.elapsed() < 3000);
    names.sort();
    return names;
}

}  // namespace

TEST(FileChooser, ListsProgramsFirstAndReturnsTheConfirmedPathUnchanged) {
    testing_support::ensureApplication();
    TempFolder dir;
    const std::string tool = dir.write("run me", "#!/bin/sh\n", kExecutable);
    dir.write("notes.txt", "text\n");
    dir.write("setup.bat", "echo\n");
    platform::LinuxPlatform host;

    QString title, folder;
    QStringList entries, shown, programs, everything;
    whenDialogOpens([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        folder = dialog.directory().absolutePath();
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        if (types == nullptr) return dialog.reject();
        for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        entries = dialog.nameFilters();
        // The first entry is chosen at the start: programs only, whatever
        // their name; no ".exe" needed.
        programs = listed(dialog, 1);
        // The user picks "All files" with the keyboard.
        for (int i = 0; i < 2; ++i) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(types, &down);
        }
        everything = listed(dialog, 3);
        // The user types the name: no ".exe" is added to it.
        if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit")) name->setText("run me");
        static_cast<QDialog&>(dialog).accept();  // public there, as a user's OK
    });
    EXPECT_EQ(choose(host, dir.path().string()), tool) << "a path with a blank comes back as it is";
    EXPECT_EQ(title, "Select File To Run");
    EXPECT_EQ(folder.toStdString(), dir.path().string());
    EXPECT_EQ(shown, (QStringList{"Applications (*.exe)", "CMD Batch Files (*.bat)", "All files (*.*)"}));
    EXPECT_EQ(entries.size(), 3);
    EXPECT_EQ(programs, (QStringList{"run me"}));
    EXPECT_EQ(everything, (QStringList{"notes.txt", "run me", "setup.bat"}));
}

TEST(FileChooser, ACancelIsReportedAsNoAnswer) {
    testing_support::ensureApplication();
    platform::LinuxPlatform host;
    whenDialogOpens([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(choose(host, "/"), std::nullopt);
}
