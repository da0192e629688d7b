#include <gtest/gtest.h>

#include <QFileDialog>
#include <QTimer>
#include <functional>

#include "TempDir.h"
#include "TestApp.h"
#include "platform/linux/LinuxPlatform.h"

using testing_support::kExecutable;
using testing_support::TempDir;

namespace {

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
std::string choose(platform::LinuxPlatform& host, const std::string& folder) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible()) dialog->reject();
    });
    watchdog.start(5000);
    return host.ChooseFileToRun("Select File To Run",
                                "Executable Files (*.exe)|*.exe|Batch Files (*.bat)|*.bat|"
                                "All Files (*.*)|*.*",
                                "exe", folder);
}

}  // namespace

TEST(FileChooser, ReturnsTheConfirmedPathAndAfterACancelTheLastOne) {
    testing_support::ensureApplication();
    // The toolkit's own dialog, so that the test can drive it.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    TempDir dir;
    const std::string tool = dir.write("run me", "#!/bin/sh\n", kExecutable);
    platform::LinuxPlatform host;

    QString title, folder;
    QStringList filters;
    whenDialogOpens([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        folder = dialog.directory().absolutePath();
        filters = dialog.nameFilters();
        dialog.selectNameFilter(filters.last());
        dialog.selectFile(QString::fromStdString(tool));
        static_cast<QDialog&>(dialog).accept();  // public there, as a user's OK
    });
    // A program without an extension, as most are here, can be chosen.
    EXPECT_EQ(choose(host, dir.path().string()), tool);
    EXPECT_EQ(title, "Select File To Run");
    EXPECT_EQ(folder.toStdString(), dir.path().string());
    EXPECT_EQ(filters, (QStringList{"Executable Files (*.exe)", "Batch Files (*.bat)", "All Files (*)"}));

    whenDialogOpens([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(choose(host, "/"), tool);

    platform::LinuxPlatform fresh;
    whenDialogOpens([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(choose(fresh, "/"), "");
}
