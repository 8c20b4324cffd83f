#include "framework/QtDialogProvider.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMetaObject>

#include "framework/MainThread.h"

namespace fw {

namespace {
QString Q(const String& s) { return QString::fromStdString(s.ToUTF8()); }
// Paths in the file system's own encoding both ways, so that a name that is
// not UTF-8 is chosen as it is on disk.
QString FromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
Ref<FolderItem> Item(const QString& path) {
    if (path.isEmpty()) return Nil;
    return FolderItemFromPath(QFile::encodeName(path).toStdString());
}
}  // namespace

int32_t QtDialogProvider::MsgBox(const String& prompt, int32_t, const String& title) {
    QMessageBox box(QMessageBox::NoIcon, Q(title), Q(prompt), QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return 1;  // OK
}

Ref<FolderItem> QtDialogProvider::SelectFolder(const String& prompt, const std::string& startFolder) {
    return Item(QFileDialog::getExistingDirectory(QApplication::activeWindow(), Q(prompt),
                                                  FromPath(startFolder)));
}

Ref<FolderItem> QtDialogProvider::GetOpenFolderItem(const String& filter, const std::string& startFolder) {
    QString types = filter.IsEmpty() ? QString("All files (*)")
                                     : QString("Message files (*.%1 *.%1x);;All files (*)").arg(Q(filter));
    return Item(QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                             FromPath(startFolder), types));
}

void QtDialogProvider::Beep() {
    if (OnMainThread()) {
        QApplication::beep();
    } else if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    }
}

}  // namespace fw
