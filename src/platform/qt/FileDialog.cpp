#include "platform/qt/FileDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <vector>

namespace platform::qt {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// The description is the caption shown, exactly as given. The dialog takes
// its patterns from the last parentheses of an entry and, told to hide them,
// shows the text before them: so the patterns go in parentheses of their own
// after the description, which may end in a pattern list of its own
// ("Applications (*.exe)") that stays in the caption.
std::string_view caption(std::string_view description) {
    while (description.ends_with(' ')) description.remove_suffix(1);
    return description;
}

bool isExePattern(std::string_view pattern) {
    if (pattern.size() != 5 || pattern.substr(0, 2) != "*.") return false;
    for (std::size_t i = 2; i < 5; ++i)
        if ((pattern[i] | 0x20) != "exe"[i - 2]) return false;
    return true;
}

std::string dialogPatterns(std::string_view patterns, bool& executablesOnly) {
    std::string result;
    int exe = 0, other = 0;
    for (std::string_view pattern : split(patterns, ';')) {
        if (pattern.empty()) continue;
        if (!result.empty()) result += ' ';
        result += pattern == "*.*" ? std::string_view("*") : pattern;
        ++(isExePattern(pattern) ? exe : other);
    }
    executablesOnly = exe > 0 && other == 0;
    if (executablesOnly) return "*";
    return result.empty() ? "*" : result;
}

}  // namespace

std::vector<DialogFilter> dialogFilters(std::string_view filter) {
    std::vector<DialogFilter> result;
    if (filter.find('|') == std::string_view::npos) {
        while (!filter.empty()) {
            const auto at = filter.find(";;");
            result.push_back({std::string(filter.substr(0, at)), false});
            if (at == std::string_view::npos) break;
            filter.remove_prefix(at + 2);
        }
        return result;
    }
    const auto parts = split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        DialogFilter entry;
        const std::string_view description = caption(parts[i]);
        if (!description.empty()) {
            entry.nameFilter += description;
            entry.nameFilter += ' ';
        }
        // Appended piece by piece: GCC 12 at -O3 misreads "(" + std::string as
        // an overlapping copy (-Wrestrict).
        entry.nameFilter += '(';
        entry.nameFilter += dialogPatterns(parts[i + 1], entry.executablesOnly);
        entry.nameFilter += ')';
        result.push_back(std::move(entry));
    }
    return result;
}

std::string toDialogFilters(std::string_view filter) {
    std::string result;
    for (const DialogFilter& entry : dialogFilters(filter)) {
        if (!result.empty()) result += ";;";
        result += entry.nameFilter;
    }
    return result;
}

namespace {

// Narrows the file dialog's list to folders and files the user may execute,
// while an entry that asks for programs is chosen.
class ExecutablesOnly final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setActive(bool on) {
        if (on == active_) return;
        active_ = on;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (!active_) return true;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }

private:
    bool active_ = false;
};

}  // namespace

std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                      const std::string& startFolder) {
    // Without a widget application there is no dialog to show: a cancel.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return std::nullopt;

    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title),
                       QString::fromStdString(startFolder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog on every desktop: only it can narrow a list to
    // executable files. The entries show their descriptions alone, as the
    // patterns they list are not the ones a reader would expect.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const std::vector<DialogFilter> entries = dialogFilters(filter);
    if (!entries.empty()) {
        QStringList names;
        for (const auto& entry : entries) names << QString::fromStdString(entry.nameFilter);
        dialog.setNameFilters(names);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        auto* executables = new ExecutablesOnly(&dialog);  // the dialog owns it
        dialog.setProxyModel(executables);
        executables->setActive(entries.front().executablesOnly);
        // The signal carries the entry's text as shown; the dialog knows
        // which entry that is.
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, executables,
            [&dialog, executables, names, entries](const QString&) {
                const auto at = names.indexOf(dialog.selectedNameFilter());
                executables->setActive(at >= 0 && entries[static_cast<std::size_t>(at)].executablesOnly);
            });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace platform::qt
