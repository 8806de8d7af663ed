#include "dialogs/filechooser.h"

#include <QDir>
#include <QFileDialog>

namespace velmarsk {
namespace {

std::deque<QString>& queued() {
    static std::deque<QString> names;
    return names;
}

}  // namespace

void FileChooser::setNextFileNames(std::deque<QString> names) {
    queued() = std::move(names);
}

std::vector<FileChooser::Request>& FileChooser::requests() {
    static std::vector<Request> all;
    return all;
}

QString FileChooser::choose(QWidget* parent, const Request& request) {
    requests().push_back(request);
    if (!queued().empty()) {
        QString name = queued().front();
        queued().pop_front();
        return name;
    }
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setAcceptMode(request.mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mode == Mode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty()) dialog.selectFile(QDir(request.directory).filePath(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace velmarsk
